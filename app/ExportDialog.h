// The window's export dialog ("Exportieren…"): the map the window shows,
// drawn again at a size of the user's choosing (up to 8192 x 8192 pixels)
// and written as PNG, JPEG, BMP, SVG or PDF, the format by the name's
// extension, its recipe inside. The drawing runs on a worker thread with
// progress and a way to cancel, so the window stays live meanwhile; the
// window's map goes into the export as a snapshot taken at the start.
#pragma once

#include <QDialog>
#include <QImage>
#include <QSize>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

#include "mapimage/Coastlines.h"
#include "mapimage/MapExport.h"
#include "mapimage/MapRenderer.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// What the window hands over: its map and where its Earth pictures are.
struct TExportSource {
  TMapSnapshot snapshot;                 // the window's map, at the window's size
  TEarthPicture picture = TEarthPicture::Standard;  // the one the window shows
  // The picture of each choice; the own one only when one is loaded.
  std::function<QImage(TEarthPicture)> pictureOf;
  bool ownPicture = false;
  QString ownPictureFile;
};

class TExportDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TExportDialog(QWidget* parent = nullptr);
  ~TExportDialog() override;  // cancels a running export and waits for it

  // Where the map to export comes from: asked when the dialog is shown and
  // again when an export starts, so that the export is of the map the
  // window shows then. The size fields keep what the user set; the first
  // time they take the window's map size.
  void SetSource(std::function<TExportSource()> source);

  // Starts the export as the fields say. False, with the reason reported,
  // when they do not make one (a size that is no whole number from 1 to
  // 8192, a name without a known extension) or an export still runs.
  bool Start();
  // Asks a running export to stop; nothing is written then.
  void Cancel();
  bool Busy() const { return thread_ != nullptr; }
  // Lets events run until no export runs; false when the time ran out.
  bool WaitUntilDone(int timeoutMs = 120000);

  // When set, receives what would otherwise be a message box.
  std::function<void(const QString& title, const QString& text)> OnMessage;

  // The fields, for the window's tests.
  QLineEdit* FileEdit = nullptr;
  QLineEdit* WidthEdit = nullptr;
  QLineEdit* HeightEdit = nullptr;
  QComboBox* PictureChoice = nullptr;  // items: the TEarthPicture values in order
  QProgressBar* Progress = nullptr;
  QLabel* Status = nullptr;
  QPushButton* ExportButton = nullptr;
  QPushButton* CancelButton = nullptr;

 signals:
  // An export has ended: written, cancelled, or failed with the message.
  void Finished(bool written, bool cancelled, const QString& message);

 protected:
  void reject() override;

 private:
  static QString Title();  // in the window's language
  void Browse();
  void SizeEdited();
  void Report(const QString& text);
  void Done();

  std::function<TExportSource()> sourceOf_;
  TExportSource source_;
  bool sizeSet_ = false;
  bool pictureChosen_ = false;  // the user picked the picture: sizes no longer decide it
  QThread* thread_ = nullptr;
  std::atomic<bool> stop_{false};
  TExportResult result_;
  QString target_;
};
