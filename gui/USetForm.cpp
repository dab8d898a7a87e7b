// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/USetForm.h"

#include <stdexcept>
#include <string_view>

#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include "gui/ErrorHandler.h"
#include "gui/FolderDialog.h"
#include "gui/QtCanvas.h"
#include "gui/QtText.h"
#include "gui/UMoniForm.h"
#include "gui/USatVForm.h"
#include "gui/UTrackForm.h"
#include "maps/PlaneRect.h"
#include "nmea/NmeaRec.h"
#include "track/TrackState.h"

namespace orvane {

TSetForm* SetForm = nullptr;

namespace {

constexpr int kPreviewSide = 48;

QColor ToQColor(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
TColor FromQColor(const QColor& c) { return RGBColor(c.red(), c.green(), c.blue()); }

QLabel* Label(const char* text, const char* name, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

QLineEdit* Edit(const char* name, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  return e;
}

QPushButton* Browse(const char* name, QWidget* parent) {
  auto* b = new QPushButton("...", parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  b->setFixedWidth(28);
  return b;
}

}  // namespace

// ---- the colour panel and the mark preview -------------------------------------------------------

TColorPanel::TColorPanel(const char* name, QWidget* parent) : QFrame(parent) {
  setObjectName(name);
  setFrameShape(QFrame::Panel);
  setFrameShadow(QFrame::Sunken);
  setAutoFillBackground(true);
  setCursor(Qt::PointingHandCursor);
  setFixedSize(60, 22);
  SetColor(clWhite);
}

void TColorPanel::SetColor(TColor color) {
  Color_ = color;
  QPalette p = palette();
  p.setColor(QPalette::Window, ToQColor(color));
  setPalette(p);
}

void TColorPanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnClick) OnClick();
}

TMarkPreview::TMarkPreview(const char* name, QWidget* parent) : QLabel(parent) {
  setObjectName(name);
  setAlignment(Qt::AlignCenter);
  setFixedSize(kPreviewSide, kPreviewSide);
  setCursor(Qt::PointingHandCursor);
}

void TMarkPreview::SetPicture(const QImage& picture, bool icon) {
  Picture_ = picture;
  // A picture bigger than the box is shown scaled down; the picture itself is kept whole.
  QImage shown = TQtImage(picture, icon).TransparentImage();
  if (!shown.isNull() && (shown.width() > kPreviewSide || shown.height() > kPreviewSide))
    shown = shown.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  setPixmap(QPixmap::fromImage(shown));
}

void TMarkPreview::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnClick) OnClick();
}

// ---- the dialog ---------------------------------------------------------------------------------

TSetForm::TSetForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName("SetForm");
  setWindowTitle("Setting");
  setModal(true);
  setFixedSize(kWidth, kHeight);

  ChooseColor = [](QWidget* owner, const QColor& initial) -> std::optional<QColor> {
    const QColor c = QColorDialog::getColor(initial, owner);
    if (!c.isValid()) return std::nullopt;
    return c;
  };
  ChooseFile = [](QWidget* owner, const QString& filter, const QString& fileName) -> std::optional<QString> {
    const QString name = QFileDialog::getOpenFileName(owner, QString(), fileName, filter);
    if (name.isEmpty()) return std::nullopt;
    return name;
  };

  PageControl = new QTabWidget(this);
  PageControl->setObjectName("PageControl");
  tsSystem = new QWidget;
  tsSystem->setObjectName("tsSystem");
  tsMap = new QWidget;
  tsMap->setObjectName("tsMap");
  PageControl->addTab(tsSystem, "&System");
  PageControl->addTab(tsMap, "Map");
  BuildSystemPage();
  BuildMapPage();

  btnOK = new QPushButton("&OK", this);
  btnOK->setObjectName("btnOK");
  btnOK->setDefault(true);
  btnCancel = new QPushButton("&Cancel", this);
  btnCancel->setObjectName("btnCancel");
  btnCancel->setAutoDefault(false);
  connect(btnOK, &QPushButton::clicked, this, [this] { Guard([this] { btnOKClick(); }); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { Guard([this] { btnCancelClick(); }); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  auto* main = new QVBoxLayout(this);
  main->addWidget(PageControl);
  main->addLayout(buttons);

  std::vector<TColorPanel*> panels{pnlBGColor, pnlGridColor, pnlTrackColor};
  for (TColorPanel* p : layerColors_)
    if (p) panels.push_back(p);
  for (TColorPanel* p : panels) p->OnClick = [this, p] { Guard([this, p] { pnlColorClick(p); }); };
  imgIco_Mark->OnClick = [this] { Guard([this] { imgIco_MarkClick(); }); };
  for (size_t i = 0; i < LayerKinds().size(); ++i) {
    const TLayerKind* kind = &LayerKinds()[i];
    connect(layerButtons_[i], &QPushButton::clicked, this,
            [this, kind] { Guard([this, kind] { ChooseLayerPath(*kind); }); });
  }
  connect(chkHeadding, &QCheckBox::toggled, this, [this] { Guard([this] { chkHeaddingClick(); }); });
  chkHeaddingClick();
}

void TSetForm::BuildSystemPage() {
  auto* grid = new QGridLayout(tsSystem);
  grid->setColumnStretch(2, 1);
  int row = 0;
  pnlBGColor = new TColorPanel("pnlBGColor", tsSystem);
  grid->addWidget(Label("Window Color", "lblBGColor", tsSystem), row, 0);
  grid->addWidget(pnlBGColor, row++, 1);
  pnlGridColor = new TColorPanel("pnlGridColor", tsSystem);
  grid->addWidget(Label("Grid Color", "lblGridColor", tsSystem), row, 0);
  grid->addWidget(pnlGridColor, row++, 1);
  pnlTrackColor = new TColorPanel("pnlTrackColor", tsSystem);
  grid->addWidget(Label("Track Color", "lblTrackColor", tsSystem), row, 0);
  grid->addWidget(pnlTrackColor, row++, 1);

  // The preview sits in a bevelled panel; the picture file's path is beside it.
  pnlIco_Mark = new QFrame(tsSystem);
  pnlIco_Mark->setObjectName("pnlIco_Mark");
  pnlIco_Mark->setFrameShape(QFrame::Panel);
  pnlIco_Mark->setFrameShadow(QFrame::Raised);
  pnlIco_Mark->setLineWidth(2);
  auto* bevel = new QHBoxLayout(pnlIco_Mark);
  bevel->setContentsMargins(4, 4, 4, 4);
  imgIco_Mark = new TMarkPreview("imgIco_Mark", pnlIco_Mark);
  bevel->addWidget(imgIco_Mark);
  edtIco_Mark = Edit("edtIco_Mark", tsSystem);
  grid->addWidget(Label("Icon", "lblIco_Mark", tsSystem), row, 0);
  grid->addWidget(pnlIco_Mark, row, 1, Qt::AlignLeft);
  grid->addWidget(edtIco_Mark, row++, 2);

  chkHeadding = new QCheckBox("Cource Hedding", tsSystem);
  chkHeadding->setObjectName("chkHeadding");
  chkHeadGuide = new QCheckBox("Guide", tsSystem);
  chkHeadGuide->setObjectName("chkHeadGuide");
  grid->addWidget(chkHeadding, row, 0, 1, 2);
  grid->addWidget(chkHeadGuide, row++, 2);

  cmbGpsFix = new QComboBox(tsSystem);
  cmbGpsFix->setObjectName("cmbGpsFix");
  cmbGpsFix->setEditable(true);
  cmbGpsFix->setInsertPolicy(QComboBox::NoInsert);
  cmbGpsFix->addItems({"$GPGSA", "$GPRMC"});
  grid->addWidget(Label("GPS Fix Sentence", "lblGpsFix", tsSystem), row, 0);
  grid->addWidget(cmbGpsFix, row, 1);
  auto* notes = new QVBoxLayout;
  notes->addWidget(Label("NMEA0183 2.0 : $GPGSA", "lblGpsFix20", tsSystem));
  notes->addWidget(Label("NMEA0183 1.5 : $GPRMC", "lblGpsFix15", tsSystem));
  grid->addLayout(notes, row++, 2);

  chkGnss = new QCheckBox("Multi-GNSS talkers", tsSystem);
  chkGnss->setObjectName("chkGnss");
  chkGnss->setToolTip(
      "Decode $GN, $GL, $GA, $GB, $BD, $GQ, $QZ and $GI sentences too, as multi-GNSS receivers send them");
  grid->addWidget(chkGnss, row++, 0, 1, 3);
  chkChecksum = new QCheckBox("Decode only sentences whose checksum matches", tsSystem);
  chkChecksum->setObjectName("chkChecksum");
  chkChecksum->setToolTip(
      "A sentence damaged on the line is shown and logged but not decoded; clear for hand-made logs");
  grid->addWidget(chkChecksum, row++, 0, 1, 3);

  cmbCoordFormat = new QComboBox(tsSystem);
  cmbCoordFormat->setObjectName("cmbCoordFormat");
  for (const TCoordFormatName& f : kCoordFormats) cmbCoordFormat->addItem(f.Name);
  cmbCoordFormat->setToolTip(
      "How positions are shown: D.MMSS (34.0512 is 34\u00B005'12\"), decimal degrees, or degrees, minutes "
      "and seconds");
  grid->addWidget(Label("Coordinates", "lblCoordFormat", tsSystem), row, 0);
  grid->addWidget(cmbCoordFormat, row++, 1);
  BuildPlaneRow(grid, row);
  grid->setRowStretch(row, 1);
}

void TSetForm::BuildPlaneRow(QGridLayout* grid, int& row) {
  auto* box = new QWidget(tsSystem);
  auto* line = new QHBoxLayout(box);
  line->setContentsMargins(0, 0, 0, 0);
  spnPlaneZone = new QSpinBox(box);
  spnPlaneZone->setObjectName("spnPlaneZone");
  spnPlaneZone->setRange(1, kPlaneZoneCount);
  cmbPlaneDatum = new QComboBox(box);
  cmbPlaneDatum->setObjectName("cmbPlaneDatum");
  for (const TPlaneDatumName& d : kPlaneDatums) cmbPlaneDatum->addItem(d.Name);
  box->setToolTip(
      "With Plane: X (north) and Y (east) in metres of this zone of the plane rectangular system, on JGD2011 "
      "(GRS80, as today's surveys) or on the Tokyo datum (Bessel, as the Digital Map 2500 data)");
  line->addWidget(new QLabel("zone", box));
  line->addWidget(spnPlaneZone);
  line->addWidget(cmbPlaneDatum);
  line->addStretch(1);
  grid->addWidget(Label("Plane", "lblPlane", tsSystem), row, 0);
  grid->addWidget(box, row++, 1);
}

void TSetForm::BuildMapPage() {
  auto* grid = new QGridLayout(tsMap);
  grid->setColumnStretch(1, 1);
  int row = 0;
  // A label longer than the column the others need takes a line of its own above its box, so
  // it narrows no box; `r` is then moved on past that line.
  auto addPath = [](QGridLayout* g, int& r, QWidget* page, const char* label, const char* labelName, QLineEdit*& edit,
                    const char* editName, QPushButton*& button, const char* buttonName) {
    edit = Edit(editName, page);
    button = Browse(buttonName, page);
    const bool own = std::string_view(label).size() > 20;
    g->addWidget(Label(label, labelName, page), r, 0, 1, own ? 3 : 1);
    if (own) {
      g->addWidget(edit, ++r, 0, 1, 2);
    } else {
      g->addWidget(edit, r, 1);
    }
    g->addWidget(button, r, 2);
  };
  auto addColor = [](QGridLayout* g, int r, QWidget* page, const char* labelName, TColorPanel*& panel,
                     const char* panelName) {
    panel = new TColorPanel(panelName, page);
    auto* line = new QHBoxLayout;
    line->addWidget(Label("Line Color", labelName, page));
    line->addWidget(panel);
    line->addStretch();
    g->addLayout(line, r, 1);
  };

  // One row per layer kind, in the table's order; consecutive kinds of one group share a box.
  QGroupBox* box = nullptr;
  QGridLayout* boxGrid = nullptr;
  int boxRow = 0;
  for (const TLayerKind& k : LayerKinds()) {
    if (!k.Group) {
      box = nullptr;
    } else if (!box || box->title() != k.Group) {
      box = new QGroupBox(k.Group, tsMap);
      box->setObjectName(QString("grp") + k.Group);
      boxGrid = new QGridLayout(box);
      boxGrid->setColumnStretch(1, 1);
      boxRow = 0;
      grid->addWidget(box, row++, 0, 1, 3);
    }
    const std::string key = k.Key;
    QLineEdit* edit = nullptr;
    QPushButton* button = nullptr;
    addPath(box ? boxGrid : grid, box ? boxRow : row, box ? static_cast<QWidget*>(box) : tsMap, k.Label,
            ("lbl" + key).c_str(), edit, ("edt" + key).c_str(), button, ("btn" + key).c_str());
    ++(box ? boxRow : row);
    TColorPanel* panel = nullptr;
    if (k.LineColorName) {
      const std::string name = k.LineColorName;
      addColor(grid, row++, tsMap, ("lbl" + name).c_str(), panel, ("pnl" + name).c_str());
    }
    layerEdits_.push_back(edit);
    layerButtons_.push_back(button);
    layerColors_.push_back(panel);
  }
  grid->setRowStretch(row, 1);
}

void TSetForm::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    // Centred on the desktop at every showing, whoever opened it.
    if (const QScreen* s = screen()) {
      QRect r = geometry();
      r.moveCenter(s->availableGeometry().center());
      setGeometry(r);
    }
    Guard([this] { FormShow(); });
  }
  QDialog::showEvent(event);
}

void TSetForm::FormShow() {
  pnlBGColor->SetColor(NmeaRec.BGColor);
  pnlGridColor->SetColor(NmeaRec.GridColor);
  pnlTrackColor->SetColor(NmeaRec.TrackColor);
  chkHeadding->setChecked(NmeaRec.Headding);
  chkHeadGuide->setChecked(NmeaRec.HeadGuide);
  chkGnss->setChecked(NmeaRec.Gnss);
  chkChecksum->setChecked(NmeaRec.Checksum);
  cmbCoordFormat->setCurrentText(CoordFormatName(NmeaRec.CoordFormat));
  spnPlaneZone->setValue(NmeaRec.Plane.Zone);
  cmbPlaneDatum->setCurrentText(PlaneDatumName(NmeaRec.Plane.Datum));
  for (size_t i = 0; i < LayerKinds().size(); ++i) {
    const TLayerKind& k = LayerKinds()[i];
    layerEdits_[i]->setText(FromLocal(LayerPath(TrackState, k)));
    if (layerColors_[i]) layerColors_[i]->SetColor(NmeaRec.*k.LineColor);
  }
  edtIco_Mark->setText(FromLocal(TrackState.IconMark));
  if (TrackForm)
    imgIco_Mark->SetPicture(TrackForm->MarkPicture(), TrackForm->imgMark.IsIcon());
  else
    imgIco_Mark->SetPicture(QImage());
  cmbGpsFix->setEditText(FromLocal(NmeaRec.GpsFix));
}

void TSetForm::btnOKClick() {
  // Colours and heading switches as the pages show them.
  NmeaRec.BGColor = pnlBGColor->Color();
  NmeaRec.GridColor = pnlGridColor->Color();
  NmeaRec.TrackColor = pnlTrackColor->Color();
  for (size_t i = 0; i < LayerKinds().size(); ++i)
    if (layerColors_[i]) NmeaRec.*LayerKinds()[i].LineColor = layerColors_[i]->Color();
  NmeaRec.Headding = chkHeadding->isChecked();
  NmeaRec.HeadGuide = chkHeadGuide->isChecked();
  // The decoders take it from the next sentence on.
  NmeaRec.Gnss = chkGnss->isChecked();
  NmeaRec.Checksum = chkChecksum->isChecked();
  // The track window's labels redraw below; the monitor's blocks with their next sentence.
  NmeaRec.CoordFormat = CoordFormatFromName(ToLocal(cmbCoordFormat->currentText()));
  NmeaRec.Plane = {spnPlaneZone->value(), PlaneDatumFromName(ToLocal(cmbPlaneDatum->currentText()))};
  // The sky view repaints in its new colour.
  if (SatVForm) SatVForm->ApplyBGColor();
  // Layer paths and the mark picture.
  for (size_t i = 0; i < LayerKinds().size(); ++i)
    LayerPath(TrackState, LayerKinds()[i]) = ToLocal(layerEdits_[i]->text());
  TrackState.IconMark = ToLocal(edtIco_Mark->text());
  // The track window reports its own loading errors; a path that does not load comes back
  // empty, and the next showing shows it so.
  if (TrackForm) {
    TrackForm->SetMapSet();
    TrackForm->FormPaint();
  }
  // Whatever was typed; only "$GPRMC" changes what the decoders do.
  NmeaRec.GpsFix = ToLocal(cmbGpsFix->currentText());
  // The monitor takes the new colour too.
  if (MoniForm) MoniForm->ApplyBGColor();
  accept();
}

void TSetForm::btnCancelClick() { reject(); }

void TSetForm::pnlColorClick(TColorPanel* panel) {
  if (const std::optional<QColor> c = ChooseColor(this, ToQColor(panel->Color()))) panel->SetColor(FromQColor(*c));
}

bool TSetForm::ChooseFileFor(QLineEdit* box, const char* filter) {
  const std::optional<QString> name = ChooseFile(this, DialogFilter(filter), box->text());
  if (!name) return false;
  box->setText(*name);
  return true;
}

size_t TSetForm::LayerRow(char letter) { return static_cast<size_t>(&LayerKindOf(letter) - LayerKinds().data()); }

void TSetForm::ChooseLayerPath(const TLayerKind& kind) {
  QLineEdit* edit = LayerEdit(kind.Letter);
  if (kind.Filter) {
    ChooseFileFor(edit, kind.Filter);
    return;
  }
  // A chooser for this one use; it goes when the choice is made.
  TFolderDialog chooser(this);
  chooser.Directory = ToLocal(edit->text());
  if (FolderBrowser) chooser.RunBrowser = FolderBrowser;
  if (chooser.Execute()) edit->setText(FromLocal(chooser.Directory));
}

void TSetForm::imgIco_MarkClick() {
  if (!ChooseFileFor(edtIco_Mark, "Bitmap|*.bmp|Icon|*.ico")) return;
  // Shown at once; the track window's mark changes only at OK. A file that does not load leaves
  // the preview as it was and its path in the box.
  QImageReader reader(edtIco_Mark->text());
  const QImage picture = reader.read();
  if (picture.isNull())
    throw std::runtime_error("Cannot load the picture \"" + ToLocal(edtIco_Mark->text()) +
                             "\": " + ToLocal(reader.errorString()));
  const QByteArray format = reader.format().toLower();
  imgIco_Mark->SetPicture(picture, format == "ico" || format == "cur");
}

void TSetForm::chkHeaddingClick() { chkHeadGuide->setEnabled(chkHeadding->isChecked()); }

}  // namespace orvane
