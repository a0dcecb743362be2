// Tprojeform: the program's only window. The user picks a projection kind,
// sets radius, central longitude, tilt and up to two latitude parameters,
// switches the three layers, and redraws; the map control GxM1 draws through
// the projection component GxPL1. The picture can be saved or copied.
//
// The controls come from resources/eprojektion.ui and keep the names given
// there (CB2, rx1, L6, ...); the handlers repeat them (CB2C, D2c, ...).
#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

#include "mapimage/Coastlines.h"
#include "mapimage/GxMapImageL.h"
#include "projection/GxProjectionL.h"
#include "ui_eprojektion.h"

class QMenu;
class QSettings;
class QSpinBox;
class TExportDialog;

class Tprojeform : public QWidget, public Ui::projeform {
  Q_OBJECT

 public:
  // Builds the window and runs FormCreate, which draws the first map.
  explicit Tprojeform(QWidget* parent = nullptr);
  ~Tprojeform() override;

  TGxProjectionL GxPL1;
  QMenu* PM1 = nullptr;  // holds the invisible Enter and Escape items

  // ---- Handlers --------------------------------------------------------------
  void FormCreate();
  void D2c();  // the redraw
  void GxProjection1GetConstants(TGxProjectionL* Sender, double Radius, double Theta, double Phi0,
                                 double Phi1, double Phi2, double X0, double Y0, double Oblique,
                                 double Other);
  void CB2C();  // kind changed
  void CB1C();  // colour map switched
  void CB3Click();  // graticule or coastlines switched
  void rx1Change();  // spin edits: a change never redraws
  void GxM1P(TGxMapImageL* Sender, int Max, int Position);
  void S7C();  // close
  void S2C();  // save, through the dialog
  void S1C();  // copy to the clipboard
  void S8C();  // export: opens the export dialog
  void CB10C();  // Earth picture chosen: Standard, Detail or the own one
  void D3C();  // load an Earth picture of one's own, through a file dialog
  void ShowHelp();

  // ---- Seams -----------------------------------------------------------------
  // The part of S2C after the dialog: writes MainMap under the chosen name,
  // in the format its extension names or else the chosen filter's
  // (ExportTargetOf). Reports a failure and returns false.
  bool SaveMapAs(const QString& fileName, const QString& filter);
  // The part of D3C after the dialog: loads the picture and shows it, or
  // reports why not and keeps the current one.
  bool LoadEarthPictureFile(const QString& fileName);
  // The export dialog, made on first use.
  TExportDialog* ExportWindow();
  // The Earth picture the map shows.
  TEarthPicture Picture() const { return picture_; }
  // Puts the picture on the clipboard; returns an empty string or the reason.
  std::function<QString(const QImage&)> ClipboardWriter;
  // When set, receives what would otherwise be a message box (title, text),
  // so that nothing waits for a click.
  std::function<void(const QString&, const QString&)> OnMessage;

  // ---- Exploring with the mouse ---------------------------------------------
  // Drawings go to the map control's worker thread; while the mouse drags
  // or the wheel turns, quick previews; once it rests this long, the full
  // drawing.
  static constexpr int kRestMilliseconds = 150;
  // The centre latitude follows a vertical drag (and a double click) for
  // the kinds whose parameter is the centre latitude.
  bool CentreLatitudeFollowsMouse() const;
  // Waits until the last requested drawing is on screen; false on timeout.
  bool WaitForDrawing(int timeoutMs = 60000);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetUpLook();
  void SetUpComponents();
  void Wire();
  void Report(const QString& title, const QString& text, bool warning);
  // The redraw's first steps: the spin edits and the switches into the
  // component and the settings.
  void WriteParameters();
  void Preview();
  void MapDragged(QPoint at);
  void MapWheel(double notches);
  void MapDoubleClicked(QPoint at);
  void SaveSettings() const;
  bool RestoreSettings();
  // The list's kind into the component and the spin edits, without drawing.
  void ApplyKind();
  void RestorePicture(const QSettings& settings);
  // The picture of a choice (the detailed one read on first use).
  QImage PictureOf(TEarthPicture choice);
  void UsePicture(TEarthPicture choice);
  // The recipe of the map the window shows.
  QString WindowRecipe() const;

  TGxProjectionL probe_;  // a copy of GxPL1 as last drawn, for the read-out
  std::optional<QPoint> cursor_;  // where the mouse is over the map
  struct Drag {
    bool active = false;
    QPoint start;
    int theta = 0, phi0 = 0;  // the spin values at the press
    bool onMap = false;       // (lon, lat) under the cursor at the press
    double lon = 0, lat = 0;
    TGxProjectionL probe;     // the component as at the press
  } drag_;
  QTimer rest_;
  TEarthPicture picture_ = TEarthPicture::Standard;
  QImage standardPicture_, detailPicture_, ownPicture_;
  QString ownPictureFile_;
  TExportDialog* exportDialog_ = nullptr;
};
