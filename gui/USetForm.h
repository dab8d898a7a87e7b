// SPDX-License-Identifier: GPL-3.0-or-later
// The settings dialog, created once at start-up and shown modally by "Settings...": colours, the
// position mark, the heading display, the fix sentence and the paths of the map layers. It edits
// the live settings in place; only the program's exit writes them to the file.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "common/Color.h"
#include "track/LayerKinds.h"

namespace orvane {

// A colour panel: shows its colour and runs OnClick when clicked.
class TColorPanel : public QFrame {
public:
  TColorPanel(const char* name, QWidget* parent);
  TColor Color() const { return Color_; }
  void SetColor(TColor color);
  std::function<void()> OnClick;

protected:
  void mousePressEvent(QMouseEvent* event) override;

private:
  TColor Color_ = clWhite;
};

// The mark preview: the picture, drawn at its own size, and a click to choose another.
class TMarkPreview : public QLabel {
public:
  TMarkPreview(const char* name, QWidget* parent);
  const QImage& Picture() const { return Picture_; }
  // Shown as the track window puts the mark down: an icon through its alpha, a bitmap with its
  // lower-left pixel's colour transparent. Picture() keeps the picture as given.
  void SetPicture(const QImage& picture, bool icon = false);
  std::function<void()> OnClick;

protected:
  void mousePressEvent(QMouseEvent* event) override;

private:
  QImage Picture_;
};

class TSetForm : public QDialog {
public:
  explicit TSetForm(QWidget* parent = nullptr);

  // Copies the settings into the controls; at every showing.
  void FormShow();
  // Writes the controls back and applies them, then closes the dialog.
  void btnOKClick();
  void btnCancelClick();

  void pnlColorClick(TColorPanel* panel);
  // A layer's browse button: the file chooser with the layer's filter, or the folder chooser.
  void ChooseLayerPath(const TLayerKind& kind);
  void imgIco_MarkClick();
  void chkHeaddingClick();

  // The Map page's widgets of a layer, by its letter: "edt" and "btn" with the layer's key in
  // their object names; the line colour panel of a layer that has one, else null.
  QLineEdit* LayerEdit(char letter) const { return layerEdits_[LayerRow(letter)]; }
  QPushButton* LayerButton(char letter) const { return layerButtons_[LayerRow(letter)]; }
  TColorPanel* LayerColor(char letter) const { return layerColors_[LayerRow(letter)]; }

  // The three dialogs, replaceable so that tests need nobody at the keyboard.
  // The colour dialog: the chosen colour, or nothing when cancelled.
  std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)> ChooseColor;
  // The open-file dialog with a filter in Qt's form and the box's text as the file name: the
  // chosen full path, or nothing when cancelled.
  std::function<std::optional<QString>(QWidget* parent, const QString& filter, const QString& fileName)> ChooseFile;
  // Replaces the folder chooser's browser when set (see TFolderDialog::RunBrowser).
  std::function<bool(QFileDialog& browser, QString& selection)> FolderBrowser;

  QTabWidget* PageControl;
  QWidget *tsSystem, *tsMap;
  TColorPanel *pnlBGColor, *pnlGridColor, *pnlTrackColor;
  QFrame* pnlIco_Mark;
  TMarkPreview* imgIco_Mark;
  QLineEdit* edtIco_Mark;
  QCheckBox *chkHeadding, *chkHeadGuide, *chkGnss, *chkChecksum;
  QComboBox *cmbGpsFix, *cmbCoordFormat;
  // The zone and datum of the Plane format.
  QSpinBox* spnPlaneZone;
  QComboBox* cmbPlaneDatum;
  QPushButton *btnOK, *btnCancel;

  static constexpr int kWidth = 495, kHeight = 464;

protected:
  void showEvent(QShowEvent* event) override;

private:
  void BuildSystemPage();
  void BuildMapPage();
  void BuildPlaneRow(QGridLayout* grid, int& row);
  // The open-file dialog for one box; the box takes the chosen path. True when one was chosen.
  bool ChooseFileFor(QLineEdit* box, const char* filter);
  static size_t LayerRow(char letter);

  // One entry per row of the layer table, in its order.
  std::vector<QLineEdit*> layerEdits_;
  std::vector<QPushButton*> layerButtons_;
  std::vector<TColorPanel*> layerColors_;
};

// The one settings dialog of the program (null before start-up created it).
extern TSetForm* SetForm;

}  // namespace orvane
