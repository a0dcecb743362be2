#include "app/ExportDialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>

#include <optional>
#include <tuple>

#include "app/Language.h"
#include "mapimage/ImageLimits.h"
#include "mapimage/MapRecipe.h"

namespace {

const char* const kPictureItems[] = {QT_TRANSLATE_NOOP("TExportDialog", "Standard"),
                                     QT_TRANSLATE_NOOP("TExportDialog", "Detail"),
                                     QT_TRANSLATE_NOOP("TExportDialog", "Eigenes Bild")};

// A side of the export as weltnetz-render's --size takes it (blanks around
// it aside).
std::optional<int> SideOf(const QString& text) {
  int side = 0;
  if (!ParseMapSide(text.trimmed().toStdString(), side)) return std::nullopt;
  return side;
}

}  // namespace

QString TExportDialog::Title() { return tr("Karte exportieren"); }

TExportDialog::TExportDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(Title());
  FileEdit = new QLineEdit(this);
  FileEdit->setObjectName(QStringLiteral("FileEdit"));
  FileEdit->setPlaceholderText(tr("karte.png, .jpg, .bmp, .svg oder .pdf"));
  auto* browse = new QPushButton(tr("Durchsuchen…"), this);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(FileEdit, 1);
  fileRow->addWidget(browse);

  WidthEdit = new QLineEdit(this);
  HeightEdit = new QLineEdit(this);
  for (QLineEdit* side : {WidthEdit, HeightEdit}) {
    side->setMaxLength(5);
    side->setToolTip(tr("Pixel, 1 bis %1").arg(kMaxMapSide));
  }
  auto* sizeRow = new QHBoxLayout;
  sizeRow->addWidget(WidthEdit);
  sizeRow->addWidget(new QLabel(QStringLiteral("×"), this));
  sizeRow->addWidget(HeightEdit);
  sizeRow->addWidget(new QLabel(tr("Pixel"), this));

  PictureChoice = new QComboBox(this);
  for (const char* item : kPictureItems) PictureChoice->addItem(tr(item));
  PictureChoice->setToolTip(
      tr("Detail: das Erdbild in voller Auflösung, weich gezeichnet; für Karten größer als "
         "das Fenster die Vorgabe"));

  Progress = new QProgressBar(this);
  Progress->setRange(0, 100);
  Progress->setValue(0);
  Status = new QLabel(this);
  Status->setWordWrap(true);

  auto* form = new QFormLayout;
  form->addRow(tr("Datei:"), fileRow);
  form->addRow(tr("Größe:"), sizeRow);
  form->addRow(tr("Erdbild:"), PictureChoice);

  auto* buttons = new QDialogButtonBox(this);
  ExportButton = buttons->addButton(tr("Exportieren"), QDialogButtonBox::AcceptRole);
  CancelButton = buttons->addButton(tr("Abbrechen"), QDialogButtonBox::RejectRole);
  CancelButton->setEnabled(false);
  auto* close = buttons->addButton(QDialogButtonBox::Close);
  close->setText(tr("Schließen"));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(Progress);
  layout->addWidget(Status);
  layout->addWidget(buttons);

  connect(browse, &QPushButton::clicked, this, &TExportDialog::Browse);
  connect(ExportButton, &QPushButton::clicked, this, &TExportDialog::Start);
  connect(CancelButton, &QPushButton::clicked, this, &TExportDialog::Cancel);
  connect(close, &QPushButton::clicked, this, &TExportDialog::reject);
  connect(WidthEdit, &QLineEdit::textEdited, this, &TExportDialog::SizeEdited);
  connect(HeightEdit, &QLineEdit::textEdited, this, &TExportDialog::SizeEdited);
  // Only a choice of the user's holds against the size's default.
  connect(PictureChoice, &QComboBox::activated, this, [this] { pictureChosen_ = true; });
}

TExportDialog::~TExportDialog() {
  stop_ = true;
  if (thread_) thread_->wait();
}

void TExportDialog::SetSource(std::function<TExportSource()> source) {
  sourceOf_ = std::move(source);
  source_ = sourceOf_ ? sourceOf_() : TExportSource{};
  if (!sizeSet_) {
    WidthEdit->setText(QString::number(source_.snapshot.size.width()));
    HeightEdit->setText(QString::number(source_.snapshot.size.height()));
    sizeSet_ = true;
  }
  // The own picture is offered only while one is loaded.
  if (auto* items = qobject_cast<QStandardItemModel*>(PictureChoice->model()))
    items->item(static_cast<int>(TEarthPicture::Own))->setEnabled(source_.ownPicture);
  pictureChosen_ = false;
  SizeEdited();
}

// Maps larger than the window's show the detailed picture unless the user
// chose otherwise; the window's own choice holds for the others.
void TExportDialog::SizeEdited() {
  if (pictureChosen_) return;
  TEarthPicture choice = source_.picture;
  const std::optional<int> w = SideOf(WidthEdit->text()), h = SideOf(HeightEdit->text());
  const QSize window = source_.snapshot.size;
  if (choice == TEarthPicture::Standard && w && h &&
      (*w > window.width() || *h > window.height()))
    choice = TEarthPicture::Detail;
  PictureChoice->setCurrentIndex(static_cast<int>(choice));
}

void TExportDialog::Browse() {
  QFileDialog dialog(this, Title());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(
      tr("PNG-Datei (*.png);;JPEG-Datei (*.jpg *.jpeg);;Bitmap (*.bmp);;SVG-Grafik (*.svg);;"
         "PDF-Dokument (*.pdf)"));
  dialog.setDefaultSuffix(QStringLiteral("png"));
  if (!FileEdit->text().isEmpty()) dialog.selectFile(FileEdit->text());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  FileEdit->setText(dialog.selectedFiles().first());
}

void TExportDialog::Report(const QString& text) {
  Status->setText(text);
  if (OnMessage)
    OnMessage(Title(), text);
  else
    QMessageBox::warning(this, Title(), text);
}

bool TExportDialog::Start() {
  if (thread_) return false;
  if (sourceOf_) source_ = sourceOf_();
  const std::optional<int> w = SideOf(WidthEdit->text()), h = SideOf(HeightEdit->text());
  for (const auto& [side, name, text] : {std::tuple{w, tr("Breite"), WidthEdit->text()},
                                          std::tuple{h, tr("Höhe"), HeightEdit->text()}}) {
    if (side) continue;
    Report(tr("%1: eine ganze Zahl von 1 bis %2 Pixeln angeben, nicht „%3“. "
              "Es wurde nichts geschrieben.")
               .arg(name)
               .arg(kMaxMapSide)
               .arg(text));
    return false;
  }
  const QString file = FileEdit->text().trimmed();
  if (file.isEmpty() || !MapFileKindOf(file)) {
    Report(tr("Der Dateiname muss auf .png, .jpg, .jpeg, .bmp, .svg oder .pdf enden: „%1“. "
              "Es wurde nichts geschrieben.")
               .arg(file));
    return false;
  }
  const auto choice = static_cast<TEarthPicture>(PictureChoice->currentIndex());
  if (choice == TEarthPicture::Own && !source_.ownPicture) {
    Report(tr("Es ist kein eigenes Erdbild geladen."));
    return false;
  }

  // The window's map at the export's size, with the chosen picture.
  TMapSnapshot s = source_.snapshot;
  const QSize size(*w, *h);
  ScaleMapTo(s.projection, s.size, size);
  s.size = size;
  s.look.Sampling = SamplingOf(choice);
  if (source_.pictureOf) s.colorMap = source_.pictureOf(choice);
  const QString recipe = RecipeText(
      RecipeOf(s.projection, s.look, size, choice, QFileInfo(source_.ownPictureFile).fileName()));
  const QString title = QStringLiteral("Weltnetz: %1").arg(KindNameOf(s.projection.Projection));

  stop_ = false;
  target_ = file;
  result_ = {};
  Progress->setValue(0);
  Status->setText(tr("Zeichnet %1 × %2 Pixel …").arg(*w).arg(*h));
  ExportButton->setEnabled(false);
  CancelButton->setEnabled(true);
  thread_ = QThread::create([this, s = std::move(s), file, title, recipe] {
    result_ = ExportSnapshot(s, file, title, recipe, stop_, [this](int max, int position) {
      const int percent = max > 0 ? static_cast<int>(qint64{position} * 100 / max) : 100;
      QMetaObject::invokeMethod(this, [this, percent] { Progress->setValue(percent); },
                                Qt::QueuedConnection);
    });
  });
  // A child, so that it goes with the dialog whatever happens to the
  // deferred deletion; the destructor waits for it first.
  thread_->setParent(this);
  // Done runs here, on the window's thread, once the worker has ended.
  connect(thread_, &QThread::finished, this, [this, thread = thread_] {
    if (thread_ == thread) Done();
  });
  thread_->start();
  return true;
}

void TExportDialog::Cancel() {
  if (!thread_) return;
  stop_ = true;
  Status->setText(tr("Wird abgebrochen …"));
}

bool TExportDialog::WaitUntilDone(int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (thread_) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

void TExportDialog::Done() {
  thread_->deleteLater();
  thread_ = nullptr;
  ExportButton->setEnabled(true);
  CancelButton->setEnabled(false);
  const TExportResult r = result_;
  if (r.written) {
    Progress->setValue(100);
    Status->setText(tr("Geschrieben: %1").arg(target_));
  } else if (r.cancelled) {
    Progress->setValue(0);
    Status->setText(tr("Abgebrochen; es wurde nichts geschrieben."));
  } else {
    Report(tr("Die Karte wurde nicht exportiert.\n%1").arg(r.message));
  }
  emit Finished(r.written, r.cancelled, r.message);
}

void TExportDialog::reject() {
  // Closing while an export runs cancels it; the thread ends soon after.
  Cancel();
  if (thread_) thread_->wait();
  if (thread_) Done();
  QDialog::reject();
}
