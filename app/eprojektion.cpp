#include "app/eprojektion.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMouseEvent>
#include <QSettings>
#include <QWheelEvent>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPalette>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/ExportDialog.h"
#include "app/ImageExport.h"
#include "app/Language.h"
#include "app/MapNavigation.h"
#include "mapimage/MapRecipe.h"
#include "mapimage/MapRenderer.h"
#include "projection/Catalogue.h"

// The speed-button glyphs are compiled in (XPM is C), so the program needs no
// files beside it.
#include "resources/glyphs/copy.xpm"
#include "resources/glyphs/exit.xpm"
#include "resources/glyphs/export.xpm"
#include "resources/glyphs/save.xpm"

namespace {

constexpr int kClientWidth = 565;
// The specified 716 rows, and a row of further switches below them.
constexpr int kClientHeight = 746;
// Ellipsoid index set by the window at start-up; a kind change sets the
// kind's own (WindowMapInput).
constexpr int kStartMapInput = 250;
const QColor kPanelColour(240, 240, 240);  // 15790320 as a Windows colour
const QColor kNavy(0, 0, 128);

// Verdana where the machine has it, otherwise the platform's own UI face.
QFont WindowFont(int pixelSize) {
  QFont font = QFontDatabase::hasFamily(QStringLiteral("Verdana"))
                   ? QFont(QStringLiteral("Verdana"))
                   : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  return font;
}

// A spin edit whose text is no whole number (the user cleared it or typed a
// lone sign) reads as its minimum; the field is then set to the value that is
// drawn, so that what the user sees and what the map shows agree.
int ReadSpin(QSpinBox* spin) {
  bool ok = false;
  const int typed = spin->locale().toInt(spin->cleanText(), &ok);
  const int value = ok ? std::clamp(typed, spin->minimum(), spin->maximum()) : spin->minimum();
  if (!ok || spin->value() != value) spin->setValue(value);
  return value;
}

// Halves go to the even neighbour; values beyond the range land on the
// nearest bound, and a value that is no number at all on the minimum.
void ShowInSpin(QSpinBox* spin, double value) {
  if (std::isnan(value)) {
    spin->setValue(spin->minimum());
    return;
  }
  const double bounded = std::clamp(value, double(spin->minimum()), double(spin->maximum()));
  spin->setValue(static_cast<int>(std::nearbyint(bounded)));
}

// A key of the remembered settings for each spin edit and switch.
constexpr const char* kKeyKind = "kind";
constexpr const char* kKeySpins[] = {"radius", "tilt", "longitude", "parameter", "parameter2"};
constexpr const char* kKeySwitches[] = {"colour", "graticule", "coastlines", "automatic",
                                        "cutoff", "tissot"};
constexpr const char* kKeyBackground = "background";
constexpr const char* kKeyPicture = "picture";
constexpr const char* kKeyPictureFile = "pictureFile";

}  // namespace

Tprojeform::Tprojeform(QWidget* parent) : QWidget(parent) {
  setupUi(this);
  SetUpLook();
  SetUpComponents();
  Wire();
  FormCreate();
}

Tprojeform::~Tprojeform() {
  // GxPL1 goes before the child controls do; the map control must not be left
  // pointing at it. A drawing still on the worker is abandoned with it.
  GxM1->MapSettings.GxProjection = nullptr;
  GxM1->OnProgress = nullptr;
}

void Tprojeform::SetUpLook() {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);

  setFont(WindowFont(13));
  P1->setFont(WindowFont(12));

  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  QPalette panel = P1->palette();
  panel.setColor(QPalette::Window, kPanelColour);
  P1->setPalette(panel);
  QPalette title = L7->palette();
  title.setColor(QPalette::WindowText, kNavy);
  L7->setPalette(title);

  S7->setIcon(QIcon(QPixmap(exit_xpm)));
  S5->setIcon(QIcon(QPixmap(save_xpm)));
  S4->setIcon(QIcon(QPixmap(copy_xpm)));
  S8->setIcon(QIcon(QPixmap(export_xpm)));

  CB2->setToolTip(tr("Projektion wählen"));
  D2->setToolTip(tr("Mit den eingestellten Werten neu zeichnen (Eingabetaste)"));
  rx1->setToolTip(tr("Erdradius in Pixeln; auch mit dem Mausrad"));
  rx2->setToolTip(tr("Neigung des Globus um den Kartenmittelpunkt, in Grad"));
  rx3->setToolTip(tr("Länge des Mittelmeridians, in Grad; auch durch Ziehen der Karte"));
  rx4->setToolTip(tr("Breitenparameter der Projektion, in Grad"));
  rx5->setToolTip(tr("Zweiter Breitenparameter der Projektion, in Grad"));
  CB1->setToolTip(tr("Das Farbbild der Erde zeigen"));
  CB3->setToolTip(tr("Längen- und Breitenkreise zeigen"));
  CB5->setToolTip(tr("Die Küstenlinien zeigen"));
  CB6->setToolTip(tr("Nach jedem Wechsel der Projektion oder einer Ebene neu zeichnen"));
  CB7->setToolTip(tr("Linien nicht über den Gültigkeitsbereich der Projektion hinaus zeichnen"));
  CB8->setToolTip(tr(
      "Tissots Indikatrizen an den Schnittpunkten des Koordinatennetzes: wie die Karte "
      "einen kleinen Kreis der Erde verzerrt"));
  CB9->setToolTip(tr(
      "Was unter den Linien liegt: das Erdbild, oder die Flächen- oder Winkelverzerrung "
      "der Projektion als Farbe"));
  GxM1->setToolTip(QString());

  // Enter and Escape act from anywhere in the window, through items of a
  // pop-up menu that never shows them.
  M2->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
  PM1 = new QMenu(this);
  PM1->setObjectName(QStringLiteral("PM1"));
  PM1->addAction(M2);
  PM1->addAction(M1);
  addActions({M2, M1, MHilfe});

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
  }
}

void Tprojeform::SetUpComponents() {
  GxPL1.ForwardCutOff = false;
  GxPL1.InputFormat = ifGeographic;
  GxPL1.InputIndex = 220;
  GxPL1.MapInput = 220;
  GxPL1.Projection = mpWagnerII;
  GxPL1.TruncUTM = false;
  GxPL1.OutputFormat = ofGeographic;
  GxPL1.OutputIndex = 220;

  TMapSettings& s = GxM1->MapSettings;
  s.AntiAlias = false;
  s.GxProjection = &GxPL1;
  s.CoarsIterations = 100;
  UseWindowColours(s);
  s.GridValues = false;
  s.DrawCoast = true;
  s.DrawGrid = true;
  s.DrawColorMap = true;
  s.LineWidth = 1.0;
  s.UseColorEmpty = true;

  ClipboardWriter = CopyImageToClipboard;
  // The picture the control starts with is the window's standard one.
  if (const QImage* picture = s.ColorMap()) standardPicture_ = *picture;

  // The mouse explores the map: its moves are watched even without a
  // button, for the read-out.
  GxM1->setMouseTracking(true);
  GxM1->installEventFilter(this);
  rest_.setSingleShot(true);
  rest_.setInterval(kRestMilliseconds);
  connect(&rest_, &QTimer::timeout, this, &Tprojeform::D2c);
}

void Tprojeform::Wire() {
  GxPL1.OnGetConstants = [this](TGxProjectionL* sender, double radius, double theta, double phi0,
                                double phi1, double phi2, double x0, double y0, double oblique,
                                double other) {
    GxProjection1GetConstants(sender, radius, theta, phi0, phi1, phi2, x0, y0, oblique, other);
  };
  GxM1->OnProgress = [this](TGxMapImageL* sender, int max, int position) {
    GxM1P(sender, max, position);
  };

  connect(S7, &QToolButton::clicked, this, &Tprojeform::S7C);
  connect(S5, &QToolButton::clicked, this, &Tprojeform::S2C);
  connect(S4, &QToolButton::clicked, this, &Tprojeform::S1C);
  connect(S8, &QToolButton::clicked, this, &Tprojeform::S8C);
  connect(CB10, &QComboBox::currentIndexChanged, this, &Tprojeform::CB10C);
  connect(D3, &QPushButton::clicked, this, &Tprojeform::D3C);
  connect(D2, &QPushButton::clicked, this, &Tprojeform::D2c);
  connect(M2, &QAction::triggered, this, &Tprojeform::D2c);
  connect(M1, &QAction::triggered, this, &Tprojeform::S7C);
  connect(MHilfe, &QAction::triggered, this, &Tprojeform::ShowHelp);
  connect(CB2, &QComboBox::currentIndexChanged, this, &Tprojeform::CB2C);
  // toggled fires for code as for the user, which the layer interlock relies on.
  connect(CB1, &QCheckBox::toggled, this, &Tprojeform::CB1C);
  connect(CB3, &QCheckBox::toggled, this, &Tprojeform::CB3Click);
  connect(CB5, &QCheckBox::toggled, this, &Tprojeform::CB3Click);
  // The further switches redraw as the layer switches do.
  const auto redraw = [this] {
    if (CB6->isChecked()) D2c();
  };
  connect(CB7, &QCheckBox::toggled, this, redraw);
  connect(CB8, &QCheckBox::toggled, this, redraw);
  connect(CB9, &QComboBox::currentIndexChanged, this, redraw);
  for (QSpinBox* spin : {rx1, rx2, rx3, rx4, rx5})
    connect(spin, &QSpinBox::valueChanged, this, &Tprojeform::rx1Change);
}

void Tprojeform::FormCreate() {
  GxM1->SetGridRange(180, -180, 90, -90, 30, 1);

  std::vector<std::string> names;
  GxPL1.FillProjectionList(names, false);
  {
    // Filling and selecting the start-up kind is no kind change.
    const QSignalBlocker quiet(CB2);
    CB2->clear();
    for (const std::string& name : names) CB2->addItem(KindName(name));
    CB2->setCurrentIndex(1);
  }
  GxPL1.SetListIndex(CB2->currentIndex() + kFirstListedPosition);
  GxPL1.SetMapInput(kStartMapInput);
  GxM1->ResetToDefaults();
  GxPL1.GetInfo();
  GxPL1.GetConstants();
  RestoreSettings();
  D2c();
}

void Tprojeform::WriteParameters() {
  TMapSettings& s = GxM1->MapSettings;
  s.DrawColorMap = CB1->isChecked();
  GxPL1.SetRadius(ReadSpin(rx1));
  GxPL1.SetTheta(ReadSpin(rx3));
  GxPL1.SetPhi0(ReadSpin(rx4));
  GxPL1.SetPhi1(ReadSpin(rx5));
  GxPL1.SetX0(GxM1->width() / 2);
  GxPL1.SetY0(GxM1->height() / 2);
  GxPL1.SetOblique(ReadSpin(rx2));
  GxPL1.SetAxis(ReadSpin(rx3), ReadSpin(rx4));
  // The series of some kinds run wild beyond their range: cut off by
  // default. Unticked, the lines are drawn as the kinds give them.
  GxPL1.ForwardCutOff = CB7->isChecked();
  s.DrawCoast = CB5->isChecked();
  s.DrawGrid = CB3->isChecked();
  // Beneath the lines the Earth picture or a distortion map, switched on
  // and off by "farbige Erdkarte"; Tissot's indicatrices above them.
  static constexpr TBackground kBackgrounds[] = {
      TBackground::EarthPicture, TBackground::AreaDistortion, TBackground::AngleDistortion};
  s.Background = kBackgrounds[std::clamp(CB9->currentIndex(), 0, 2)];
  s.Tissot = CB8->isChecked();
  probe_ = ProbeOf(GxPL1);
  // The point under a resting cursor changes with the map.
  if (cursor_) L9->setText(ReadoutText(probe_, cursor_->x(), cursor_->y()));
}

// The drawing goes to the map control's worker; the window stays live and
// shows the last finished map meanwhile, and the newest request wins.
void Tprojeform::D2c() {
  rest_.stop();
  WriteParameters();
  GxM1->RenderInBackground();
  SaveSettings();
}

void Tprojeform::Preview() {
  WriteParameters();
  GxM1->RenderInBackground(true);
  rest_.start();
}

bool Tprojeform::WaitForDrawing(int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (rest_.isActive() || GxM1->BackgroundBusy()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

void Tprojeform::GxProjection1GetConstants(TGxProjectionL*, double Radius, double Theta,
                                           double Phi0, double Phi1, double, double, double,
                                           double Oblique, double) {
  ShowInSpin(rx1, Radius);
  ShowInSpin(rx3, Theta);
  ShowInSpin(rx4, Phi0);
  ShowInSpin(rx5, Phi1);
  // The tilt field shows the tilt. It once showed Other, so that the general
  // vertical perspective came up tilted by 75 degrees and Wagner I by one.
  ShowInSpin(rx2, Oblique);
}

void Tprojeform::CB2C() {
  ApplyKind();
  if (CB6->isChecked()) D2c();
}

void Tprojeform::ApplyKind() {
  // A drawing in progress is drawn from its own snapshot, so the kind may
  // change at once: the new drawing replaces it, and the list and the map
  // never disagree.
  drag_.active = false;
  const int i = CB2->currentIndex();
  if (i >= 0) {
    const int position = i + kFirstListedPosition;
    const CatalogueEntry& entry = CatalogueAt(position);
    const bool phi0 = entry.Spin == OptionalSpin::Phi0;
    const bool phi1 = entry.Spin == OptionalSpin::Phi1;
    rx5->setVisible(phi1);
    L4->setVisible(phi1);
    rx4->setVisible(phi0);
    L3->setVisible(phi0);
    GxPL1.SetListIndex(position);
    GxPL1.SetMapInput(WindowMapInput(entry.Kind));
  }
  GxM1->ResetToDefaults();
  GxPL1.GetInfo();
  GxPL1.GetConstants();
}

void Tprojeform::CB1C() {
  if (!CB1->isChecked()) {
    CB3->setChecked(true);
    CB5->setChecked(true);
  }
  if (CB6->isChecked()) D2c();
}

void Tprojeform::CB3Click() {
  if (!CB5->isChecked() && !CB1->isChecked()) CB5->setChecked(true);
  if (CB6->isChecked()) D2c();
}

void Tprojeform::rx1Change() {}

void Tprojeform::GxM1P(TGxMapImageL*, int Max, int Position) {
  // Nothing to draw counts as finished; the interlock keeps Max above zero in
  // this window, but a zero must not divide.
  int percent = 100;
  if (Max > 0) {
    const double share = std::nearbyint(double(Position) * 100.0 / double(Max));
    percent = static_cast<int>(std::clamp(share, 0.0, 100.0));
  }
  L6->setText(QString::number(percent) + QStringLiteral(" %"));
}

void Tprojeform::S7C() { close(); }

void Tprojeform::S2C() {
  QFileDialog dialog(this, tr("Abbildung speichern"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(SaveFilters());
  dialog.setDefaultSuffix(SuffixOf(ImageFormat::Jpeg));
  // A bare name takes the suffix of the chosen filter, not always "jpg".
  connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    dialog.setDefaultSuffix(SuffixOf(FormatOfFilter(filter)));
  });
  if (dialog.exec() != QDialog::Accepted) return;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.first().isEmpty()) return;
  SaveMapAs(files.first(), dialog.selectedNameFilter());
}

bool Tprojeform::SaveMapAs(const QString& fileName, const QString& filter) {
  const QString why =
      WriteExport(GxM1->MainMap(), ExportTargetOf(fileName, filter), WindowRecipe());
  if (why.isEmpty()) return true;
  Report(tr("Abbildung speichern"), tr("Die Abbildung wurde nicht gespeichert.\n%1").arg(why),
         true);
  return false;
}

void Tprojeform::S1C() {
  // Shared, not copied: the clipboard writer takes its own copy.
  const QImage& picture = GxM1->MainMap();
  const QString why = ClipboardWriter ? ClipboardWriter(picture) : CopyImageToClipboard(picture);
  if (why.isEmpty()) return;
  Report(tr("Abbildung kopieren"), tr("Die Abbildung wurde nicht kopiert.\n%1").arg(why), true);
}

QString Tprojeform::WindowRecipe() const {
  return RecipeText(RecipeOf(probe_, GxM1->Look(), GxM1->MainMap().size(), picture_,
                             QFileInfo(ownPictureFile_).fileName()));
}

void Tprojeform::S8C() {
  TExportDialog* dialog = ExportWindow();
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}

TExportDialog* Tprojeform::ExportWindow() {
  if (!exportDialog_) {
    exportDialog_ = new TExportDialog(this);
    exportDialog_->OnMessage = [this](const QString& title, const QString& text) {
      Report(title, text, true);
    };
  }
  // The map as last drawn: probe_ holds the component as the drawing took it.
  exportDialog_->SetSource([this] {
    TExportSource source;
    source.snapshot = TMapSnapshot::Of(
        &probe_, GxM1->Look(), GxM1->MapSettings.ColorMap(),
        GxM1->SharedCoastline(), GxM1->CoastLoaded(),
        GxM1->size());
    source.picture = picture_;
    source.pictureOf = [this](TEarthPicture choice) { return PictureOf(choice); };
    source.ownPicture = !ownPicture_.isNull();
    source.ownPictureFile = ownPictureFile_;
    return source;
  });
  return exportDialog_;
}

QImage Tprojeform::PictureOf(TEarthPicture choice) {
  switch (choice) {
    case TEarthPicture::Standard:
      return standardPicture_;
    case TEarthPicture::Detail:
      if (detailPicture_.isNull()) detailPicture_ = LoadEarthPicture(kDetailEarthPicture);
      return detailPicture_;
    case TEarthPicture::Own:
      return ownPicture_;
  }
  return {};
}

void Tprojeform::UsePicture(TEarthPicture choice) {
  const QImage picture = PictureOf(choice);
  if (picture.isNull()) return;  // no own picture loaded
  picture_ = choice;
  GxM1->MapSettings.SetColorMap(picture);
  GxM1->MapSettings.Sampling = SamplingOf(choice);
}

void Tprojeform::CB10C() {
  const int i = CB10->currentIndex();
  if (i < 0) return;
  UsePicture(static_cast<TEarthPicture>(i));
  if (CB6->isChecked()) D2c();
}

void Tprojeform::D3C() {
  const QString file = QFileDialog::getOpenFileName(
      this, tr("Erdbild laden"), QFileInfo(ownPictureFile_).path(),
      tr("Bilder (*.png *.jpg *.jpeg);;Alle Dateien (*)"));
  if (!file.isEmpty()) LoadEarthPictureFile(file);
}

bool Tprojeform::LoadEarthPictureFile(const QString& fileName) {
  QImage picture;
  QString why;
  {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool loaded = LoadPictureFile(fileName, picture, why);
    QGuiApplication::restoreOverrideCursor();
    if (!loaded) {
      Report(tr("Erdbild laden"),
             tr("Das Bild wurde nicht geladen; das bisherige Erdbild bleibt.\n%1").arg(why),
             true);
      return false;
    }
  }
  ownPicture_ = std::move(picture);
  ownPictureFile_ = fileName;
  const int own = static_cast<int>(TEarthPicture::Own);
  {
    const QSignalBlocker quiet(CB10);
    if (CB10->count() <= own) CB10->addItem(tr("Eigenes Bild"));
    CB10->setItemData(own, QFileInfo(fileName).fileName(), Qt::ToolTipRole);
    CB10->setCurrentIndex(own);
  }
  CB10C();
  SaveSettings();
  return true;
}

void Tprojeform::ShowHelp() {
  Report(tr("Weltnetz – Hilfe"),
         tr("Weltnetz zeigt die ganze Erde in einer von 62 Kartenprojektionen.\n\n"
            "Liste: wählt die Projektion; Radius, Winkel und Parameter springen auf "
            "ihre Vorgaben.\n"
            "Radius: Erdradius in Pixeln (10 bis 500).\n"
            "Neigung: kippt den Globus um den Kartenmittelpunkt, in Grad.\n"
            "Winkel: Länge des Mittelmeridians, in Grad.\n"
            "Parameter: Breite, die die Projektion festlegt (in Grad); erscheint nur, "
            "wo die Projektion eine braucht.\n"
            "farbige Erdkarte, Koordinatennetz, Küstenlinien: schalten die Ebenen der "
            "Karte ein und aus. Ohne farbige Erdkarte bleiben die Küstenlinien an.\n"
            "Automatik: zeichnet nach jedem Wechsel der Projektion oder einer Ebene "
            "sofort neu.\n"
            "Darstellung oder Eingabetaste: zeichnet mit den eingestellten Werten neu; "
            "geänderte Zahlen wirken erst dann.\n"
            "Randbeschnitt: schneidet Linien ab, wo eine Projektion über ihren "
            "Gültigkeitsbereich hinaus zeichnen würde.\n"
            "Tissot: zeichnet Tissots Indikatrizen, die Bilder kleiner Kreise der Erde; "
            "auf winkeltreuen Karten bleiben sie Kreise, auf flächentreuen behalten sie "
            "ihre Fläche.\n"
            "Erdbild, Flächenverzerrung, Winkelverzerrung: was unter den Linien liegt, "
            "das Farbbild der Erde oder die Verzerrung der Projektion als Farbe, mit "
            "einer Legende.\n\n"
            "Mit der Maus: Ziehen dreht den Globus (Winkel, bei Azimutalprojektionen "
            "auch die Mittelbreite), das Mausrad vergrößert und verkleinert, ein "
            "Doppelklick rückt den Punkt in die Mitte. Unter der Karte steht die "
            "Position des Mauszeigers.\n\n"
            "Erdbild: Standard zeigt das Erdbild des Programms, Detail dasselbe in "
            "voller Auflösung, weich gezeichnet. Erdbild laden: ein eigenes Bild der "
            "ganzen Erde (PNG oder JPEG, doppelt so breit wie hoch).\n\n"
            "Knöpfe oben links: Programm beenden (auch Esc), Abbildung als JPEG-, "
            "Bitmap- oder PNG-Datei speichern, Abbildung in die Zwischenablage "
            "kopieren, Karte exportieren: in beliebiger Größe bis 8192 × 8192 Pixel "
            "als PNG, JPEG, BMP, SVG oder PDF, mit dem Rezept der Karte in der Datei."),
         false);
}

void Tprojeform::Report(const QString& title, const QString& text, bool warning) {
  if (OnMessage) {
    OnMessage(title, text);
  } else if (warning) {
    QMessageBox::warning(this, title, text);
  } else {
    QMessageBox::information(this, title, text);
  }
}

// ---- Exploring with the mouse ------------------------------------------------------

bool Tprojeform::CentreLatitudeFollowsMouse() const {
  // The azimuthal kinds whose parameter field is the centre latitude.
  switch (GxPL1.Projection) {
    case mpAzimuthalEA:
    case mpLaAzimuthalEA:
    case mpOrthographic:
    case mpStereographic:
      return true;
    default:
      return false;
  }
}

bool Tprojeform::eventFilter(QObject* watched, QEvent* event) {
  if (watched != GxM1) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() != Qt::LeftButton) break;
      drag_.active = true;
      drag_.start = e->position().toPoint();
      drag_.theta = rx3->value();
      drag_.phi0 = rx4->value();
      drag_.probe = probe_;
      drag_.onMap = PointUnder(drag_.probe, drag_.start.x(), drag_.start.y(), drag_.lon, drag_.lat);
      return true;
    }
    case QEvent::MouseMove: {
      auto* e = static_cast<QMouseEvent*>(event);
      const QPoint at = e->position().toPoint();
      cursor_ = at;
      L9->setText(ReadoutText(probe_, at.x(), at.y()));
      if (drag_.active && (e->buttons() & Qt::LeftButton)) MapDragged(at);
      return true;
    }
    case QEvent::MouseButtonRelease: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() == Qt::LeftButton) drag_.active = false;
      return true;
    }
    case QEvent::MouseButtonDblClick: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() == Qt::LeftButton) MapDoubleClicked(e->position().toPoint());
      return true;
    }
    case QEvent::Wheel: {
      auto* e = static_cast<QWheelEvent*>(event);
      MapWheel(e->angleDelta().y() / 120.0);
      return true;
    }
    case QEvent::Leave:
      cursor_.reset();
      L9->clear();
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

void Tprojeform::MapDragged(QPoint at) {
  const bool phi0Free = CentreLatitudeFollowsMouse();
  double theta = drag_.theta, phi0 = drag_.phi0;
  // The point grabbed stays under the cursor where the kind lets it; where
  // it cannot (or the press was beside the map), the globe turns by the
  // angle the motion spans on a sphere of the map's radius.
  TGxProjectionL probe = drag_.probe;
  if (!drag_.onMap ||
      !CentreKeepingPoint(probe, drag_.lon, drag_.lat, at.x(), at.y(), phi0Free, theta, phi0)) {
    const double radius = std::max(GxPL1.Radius, 1.0);
    theta = drag_.theta - (at.x() - drag_.start.x()) / radius * gx::kRadToDeg;
    phi0 = drag_.phi0 + (at.y() - drag_.start.y()) / radius * gx::kRadToDeg;
  }
  const int newTheta = static_cast<int>(std::nearbyint(WrapLongitude(theta)));
  const int newPhi0 = static_cast<int>(std::nearbyint(std::clamp(phi0, -90.0, 90.0)));
  bool changed = false;
  if (newTheta != rx3->value()) {
    rx3->setValue(newTheta == -180 && rx3->value() == 180 ? 180 : newTheta);
    changed = true;
  }
  if (phi0Free && newPhi0 != rx4->value()) {
    rx4->setValue(newPhi0);
    changed = true;
  }
  if (changed) Preview();
}

void Tprojeform::MapWheel(double notches) {
  if (notches == 0 || !std::isfinite(notches)) return;
  const double radius = rx1->value() * std::pow(1.1, notches);
  const int next = static_cast<int>(
      std::nearbyint(std::clamp(radius, double(rx1->minimum()), double(rx1->maximum()))));
  // At least one pixel per notch, so that a small radius still grows.
  const int stepped = next == rx1->value()
                          ? std::clamp(rx1->value() + (notches > 0 ? 1 : -1), rx1->minimum(),
                                       rx1->maximum())
                          : next;
  if (stepped == rx1->value()) return;
  rx1->setValue(stepped);
  Preview();
}

void Tprojeform::MapDoubleClicked(QPoint at) {
  drag_.active = false;
  double lon, lat;
  TGxProjectionL probe = probe_;
  if (!PointUnder(probe, at.x(), at.y(), lon, lat)) return;  // beside the map: nothing
  rx3->setValue(static_cast<int>(std::nearbyint(WrapLongitude(lon))));
  if (CentreLatitudeFollowsMouse()) rx4->setValue(static_cast<int>(std::nearbyint(lat)));
  D2c();
}

// ---- Remembered settings -------------------------------------------------------------

void Tprojeform::SaveSettings() const {
  QSettings settings;
  const std::string_view kind = EnumName(GxPL1.Projection);
  settings.setValue(kKeyKind, QString::fromUtf8(kind.data(), qsizetype(kind.size())));
  const QSpinBox* spins[] = {rx1, rx2, rx3, rx4, rx5};
  for (int i = 0; i < 5; ++i) settings.setValue(kKeySpins[i], spins[i]->value());
  const QCheckBox* switches[] = {CB1, CB3, CB5, CB6, CB7, CB8};
  for (int i = 0; i < 6; ++i) settings.setValue(kKeySwitches[i], switches[i]->isChecked());
  settings.setValue(kKeyBackground, CB9->currentIndex());
  settings.setValue(kKeyPicture, PictureName(picture_));
  settings.setValue(kKeyPictureFile, ownPictureFile_);
}

// The first start, and any start whose remembered kind is unknown, is the
// specified one.
bool Tprojeform::RestoreSettings() {
  QSettings settings;
  const QString kind = settings.value(kKeyKind).toString();
  const std::optional<TProjection> named = KindNamed(kind.toStdString());
  const int item = named ? ListPositionOf(*named) - kFirstListedPosition : -1;
  if (item < 0 || item >= CB2->count()) return false;
  {
    const QSignalBlocker quiet(CB2);
    CB2->setCurrentIndex(item);
  }
  ApplyKind();  // nothing draws until everything is set
  QSpinBox* spins[] = {rx1, rx2, rx3, rx4, rx5};
  for (int i = 0; i < 5; ++i)
    if (settings.contains(kKeySpins[i])) spins[i]->setValue(settings.value(kKeySpins[i]).toInt());
  QCheckBox* switches[] = {CB1, CB3, CB5, CB6, CB7, CB8};
  for (int i = 0; i < 6; ++i) {
    const QSignalBlocker quiet(switches[i]);
    switches[i]->setChecked(settings.value(kKeySwitches[i], switches[i]->isChecked()).toBool());
  }
  {
    const QSignalBlocker quiet(CB9);
    const int background = settings.value(kKeyBackground, 0).toInt();
    CB9->setCurrentIndex(background >= 0 && background < CB9->count() ? background : 0);
  }
  // The interlock holds for remembered switches too.
  if (!CB1->isChecked() && !CB5->isChecked()) {
    const QSignalBlocker quiet(CB5);
    CB5->setChecked(true);
  }
  RestorePicture(settings);
  return true;
}

// A picture of one's own that can no longer be read (moved, deleted) leaves
// the window's standard picture, without a message at start-up.
void Tprojeform::RestorePicture(const QSettings& settings) {
  const QString key = settings.value(kKeyPicture).toString();
  const QString file = settings.value(kKeyPictureFile).toString();
  QImage picture;
  QString why;
  if (!file.isEmpty() && LoadPictureFile(file, picture, why)) {
    ownPicture_ = std::move(picture);
    ownPictureFile_ = file;
    CB10->addItem(tr("Eigenes Bild"));
    CB10->setItemData(static_cast<int>(TEarthPicture::Own), QFileInfo(file).fileName(),
                      Qt::ToolTipRole);
  }
  const std::optional<TEarthPicture> chosen = PictureNamed(key.toStdString());
  // The own picture's entry is there only when its file could be read.
  if (!chosen || static_cast<int>(*chosen) >= CB10->count()) return;
  const QSignalBlocker quiet(CB10);
  CB10->setCurrentIndex(static_cast<int>(*chosen));
  UsePicture(*chosen);
}
