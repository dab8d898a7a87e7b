// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/QtCanvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <unordered_set>
#include <vector>

#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>

namespace orvane {
namespace {

QColor ToQColor(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

[[noreturn]] void FileError(const std::string& path, const std::string& cause) {
  throw std::runtime_error("Cannot load picture \"" + path + "\": " + cause);
}

// Big georeferenced maps are larger than Qt's default guard against hostile pictures; the
// picture is one the user chose, so allow what the machine can plausibly hold.
constexpr int kPictureLimitMB = 4096;

// At most 256 distinct colours; gives up at the 257th.
bool HasFewColours(const QImage& rgb32) {
  std::unordered_set<QRgb> seen;
  QRgb last = 0;
  bool any = false;
  for (int y = 0; y < rgb32.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb32.constScanLine(y));
    for (int x = 0; x < rgb32.width(); ++x) {
      if (any && line[x] == last) continue;
      any = true;
      last = line[x];
      if (seen.insert(last | 0xFF000000u).second && seen.size() > 256) return false;
    }
  }
  return true;
}

}  // namespace

QImage ToPalette8(QImage picture) {
  if (picture.format() == QImage::Format_Indexed8) return picture;
  if (picture.colorCount() > 0) return picture.convertToFormat(QImage::Format_Indexed8);  // exact
  QImage src = picture.convertToFormat(QImage::Format_RGB32);
  picture = QImage();
  if (src.isNull()) return src;
  if (HasFewColours(src)) return src.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
  // Colours are counted in bins of 5 bits per channel; each bin remembers whether it holds one
  // colour or several, so a picture of at most 256 colours keeps them exactly.
  constexpr int kBins = 1 << 15;
  auto binOf = [](QRgb c) { return ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3); };
  std::vector<uint64_t> count(kBins), sumR(kBins), sumG(kBins), sumB(kBins);
  std::vector<QRgb> first(kBins);
  std::vector<uint8_t> mixed(kBins);
  for (int y = 0; y < src.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    for (int x = 0; x < src.width(); ++x) {
      const QRgb c = line[x] | 0xFF000000u;
      const int b = binOf(c);
      if (count[b] == 0)
        first[b] = c;
      else if (first[b] != c)
        mixed[b] = 1;
      ++count[b];
      sumR[b] += static_cast<uint64_t>(qRed(c));
      sumG[b] += static_cast<uint64_t>(qGreen(c));
      sumB[b] += static_cast<uint64_t>(qBlue(c));
    }
  }
  std::vector<int> used;
  for (int b = 0; b < kBins; ++b)
    if (count[b]) used.push_back(b);
  // The most frequent colours make the palette: flat map areas keep their colour, no dither
  // noise; rare colours go to their nearest entry.
  if (used.size() > 256) {
    std::nth_element(used.begin(), used.begin() + 255, used.end(), [&](int a, int b) { return count[a] > count[b]; });
    used.resize(256);
  }
  QList<QRgb> table;
  std::vector<int> lut(kBins, -1);
  for (int b : used) {
    lut[b] = static_cast<int>(table.size());
    const uint64_t n = count[b];
    table.push_back(mixed[b] ? qRgb(static_cast<int>((sumR[b] + n / 2) / n), static_cast<int>((sumG[b] + n / 2) / n),
                                    static_cast<int>((sumB[b] + n / 2) / n))
                             : first[b]);
  }
  for (int b = 0; b < kBins; ++b) {
    if (!count[b] || lut[b] >= 0) continue;
    const int r = static_cast<int>(sumR[b] / count[b]), g = static_cast<int>(sumG[b] / count[b]),
              bl = static_cast<int>(sumB[b] / count[b]);
    int best = 0, bestD = INT32_MAX;
    for (int i = 0; i < table.size(); ++i) {
      const int dr = qRed(table[i]) - r, dg = qGreen(table[i]) - g, db = qBlue(table[i]) - bl;
      const int d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
      if (d < bestD) {
        bestD = d;
        best = i;
      }
    }
    lut[b] = best;
  }
  QImage out(src.size(), QImage::Format_Indexed8);
  if (out.isNull()) return out;
  out.setColorTable(table);
  for (int y = 0; y < src.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    uchar* o = out.scanLine(y);
    for (int x = 0; x < src.width(); ++x) o[x] = static_cast<uchar>(lut[binOf(in[x])]);
  }
  return out;
}

// ---- pictures -----------------------------------------------------------------------------------

void TQtImage::SetSize(int width, int height) {
  if (width == image_.width() && height == image_.height() && !icon_) return;
  image_ = width > 0 && height > 0 ? QImage(width, height, QImage::Format_RGB32) : QImage();
  icon_ = false;
}

void TQtImage::SetImage(QImage image, bool icon) {
  image_ = std::move(image);
  icon_ = icon;
}

void TQtImage::LoadFromFile(const std::string& path, TImageKind kind) {
  const QString name = QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
  const QFileInfo info(name);
  if (path.empty() || !info.exists()) FileError(path, "No such file or directory");
  if (info.isDir()) FileError(path, "Is a directory");
  // A pipe or a device would block the reader.
  if (!info.isFile()) FileError(path, "not a regular file");
  if (!info.isReadable()) FileError(path, "Permission denied");

  QImageReader::setAllocationLimit(kPictureLimitMB);
  QImageReader reader(name);
  const QByteArray format = reader.format();
  QImage picture = reader.read();
  if (picture.isNull()) {
    const std::string why = reader.errorString().toStdString();
    FileError(path, "not a readable bitmap or icon (" + why + ")");
  }
  if (kind == TImageKind::Palette8) {
    picture = ToPalette8(std::move(picture));
    if (picture.isNull()) FileError(path, "too large to reduce to 256 colours");
    SetImage(std::move(picture), false);
    return;
  }
  // An icon brings its own mask as alpha; any other picture is a bitmap.
  SetImage(std::move(picture), format == "ico" || format == "cur");
}

const QImage& TQtImage::TransparentImage() const {
  if (!transparent_.isNull() && transparentKey_ == image_.cacheKey()) return transparent_;
  transparentKey_ = image_.cacheKey();
  if (image_.isNull()) {
    transparent_ = QImage();
    return transparent_;
  }
  transparent_ = image_.convertToFormat(QImage::Format_ARGB32);
  if (!icon_) {
    const QRgb key = qRgb(qRed(transparent_.pixel(0, transparent_.height() - 1)),
                          qGreen(transparent_.pixel(0, transparent_.height() - 1)),
                          qBlue(transparent_.pixel(0, transparent_.height() - 1)));
    for (int y = 0; y < transparent_.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(transparent_.scanLine(y));
      for (int x = 0; x < transparent_.width(); ++x)
        line[x] = (line[x] & 0x00FFFFFFu) == (key & 0x00FFFFFFu) ? 0u : (line[x] | 0xFF000000u);
    }
  }
  transparent_ = transparent_.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  return transparent_;
}

// ---- the canvas ---------------------------------------------------------------------------------

TQtCanvas::TQtCanvas(QImage& surface) : surface_(surface) {
  // A narrow face with a clear decimal point for the grid labels; Japanese map names fall back
  // to the Japanese gothic face.
  Font = QFont("DejaVu Sans");
  Font.setStretch(QFont::SemiCondensed);
  Font.setPixelSize(11);
  if (!surface_.isNull()) painter_.begin(&surface_);
  if (painter_.isActive()) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setFont(Font);
  }
  ApplyPen();
  ApplyBrush();
}

TQtCanvas::~TQtCanvas() {
  if (painter_.isActive()) painter_.end();
}

TRect TQtCanvas::ClipRect() const { return {0, 0, surface_.width(), surface_.height()}; }

void TQtCanvas::ApplyPen() {
  if (!painter_.isActive()) return;
  if (penStyle_ == TPenStyle::Clear) {
    painter_.setPen(Qt::NoPen);
    return;
  }
  QPen pen(penColor_, std::max(penWidth_, 1), penStyle_ == TPenStyle::Dot ? Qt::DotLine : Qt::SolidLine, Qt::RoundCap,
           Qt::RoundJoin);
  // A thin pen draws exact pixels; wide ones get round ends so that a track's joints close.
  if (penWidth_ <= 1) pen.setCapStyle(Qt::FlatCap);
  painter_.setPen(pen);
}

void TQtCanvas::ApplyBrush() {
  if (!painter_.isActive()) return;
  painter_.setBrush(brushStyle_ == TBrushStyle::Clear ? QBrush(Qt::NoBrush) : QBrush(brushColor_));
}

void TQtCanvas::SetPenColor(TColor color) {
  penColor_ = ToQColor(color);
  ApplyPen();
}

void TQtCanvas::SetPenStyle(TPenStyle style) {
  penStyle_ = style;
  ApplyPen();
}

void TQtCanvas::SetPenWidth(int width) {
  penWidth_ = width;
  ApplyPen();
}

void TQtCanvas::SetBrushColor(TColor color) {
  brushColor_ = ToQColor(color);
  ApplyBrush();
}

void TQtCanvas::SetBrushStyle(TBrushStyle style) {
  brushStyle_ = style;
  ApplyBrush();
}

void TQtCanvas::MoveTo(int x, int y) { penPos_ = {x, y}; }

void TQtCanvas::LineTo(int x, int y) {
  if (painter_.isActive()) painter_.drawLine(penPos_.x, penPos_.y, x, y);
  penPos_ = {x, y};
}

namespace {

const QPoint* ToQPoints(const TPoint* points, int count) {
  static std::vector<QPoint> buffer;
  buffer.resize(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) buffer[static_cast<size_t>(i)] = QPoint(points[i].x, points[i].y);
  return buffer.data();
}

}  // namespace

void TQtCanvas::Polyline(const TPoint* points, int count) {
  if (count <= 0 || !points) return;
  if (painter_.isActive() && count > 1) painter_.drawPolyline(ToQPoints(points, count), count);
  penPos_ = points[count - 1];
}

void TQtCanvas::Polygon(const TPoint* points, int count) {
  if (count <= 0 || !points || !painter_.isActive()) return;
  painter_.drawPolygon(ToQPoints(points, count), count);
}

void TQtCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  if (!painter_.isActive()) return;
  // The box's right and bottom lie outside, as for every rectangle of the canvas.
  painter_.drawEllipse(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

void TQtCanvas::FillRect(const TRect& rect) {
  if (!painter_.isActive() || brushStyle_ == TBrushStyle::Clear) return;
  painter_.fillRect(ToQRect(rect), brushColor_);
}

void TQtCanvas::TextOut(int x, int y, const std::string& text) {
  if (!painter_.isActive()) return;
  const QString s = CanvasText(text);
  const QFontMetrics fm(Font);
  if (brushStyle_ != TBrushStyle::Clear) painter_.fillRect(x, y, fm.horizontalAdvance(s), fm.height(), brushColor_);
  painter_.save();
  painter_.setFont(Font);
  painter_.setPen(fontColor_);
  painter_.drawText(x, y + fm.ascent(), s);
  painter_.restore();
}

void TQtCanvas::SetFontColor(TColor color) { fontColor_ = ToQColor(color); }

TSize TQtCanvas::TextExtent(const std::string& text) {
  const QFontMetrics fm(Font);
  return {fm.horizontalAdvance(CanvasText(text)), fm.height()};
}

namespace {

// The pixels of `r` (inside `src`) as a picture. For whole-byte pixels it is a read-only view
// over the source's own rows, so that scaling the part of a 10000 x 10000 map that shows does not
// first copy out all of its 100 million pixels.
QImage PartOf(const QImage& src, const QRect& r) {
  if (src.depth() % 8 != 0) return src.copy(r);
  const uchar* first = src.constBits() + static_cast<qsizetype>(r.top()) * src.bytesPerLine() +
                       static_cast<qsizetype>(r.left()) * (src.depth() / 8);
  QImage part(first, r.width(), r.height(), src.bytesPerLine(), src.format());
  if (src.colorCount() > 0) part.setColorTable(src.colorTable());
  part.setDevicePixelRatio(src.devicePixelRatio());
  return part;
}

}  // namespace

void TQtCanvas::CopyFromImage(const TRect& dest, const TImage& image, const TRect& source) {
  const auto* qi = dynamic_cast<const TQtImage*>(&image);
  if (!qi) throw std::logic_error("the Qt canvas copies only from Qt images");
  const QImage& src = qi->Image();
  if (!painter_.isActive() || src.isNull() || dest.Width() <= 0 || dest.Height() <= 0 || source.Width() <= 0 ||
      source.Height() <= 0)
    return;
  // Only the source pixels that land on the surface are stretched: for a large map that is a
  // small share of the picture, and no redraw ever converts all of it.
  const double fx = static_cast<double>(dest.Width()) / source.Width();
  const double fy = static_cast<double>(dest.Height()) / source.Height();
  const int visL = std::max(dest.Left, 0), visT = std::max(dest.Top, 0);
  const int visR = std::min(dest.Right, surface_.width()), visB = std::min(dest.Bottom, surface_.height());
  if (visL >= visR || visT >= visB) return;
  int sx0 = source.Left + static_cast<int>(std::floor((visL - dest.Left) / fx));
  int sy0 = source.Top + static_cast<int>(std::floor((visT - dest.Top) / fy));
  int sx1 = source.Left + static_cast<int>(std::ceil((visR - dest.Left) / fx));
  int sy1 = source.Top + static_cast<int>(std::ceil((visB - dest.Top) / fy));
  // Source pixels that do not exist are not copied; their share of the destination stays.
  sx0 = std::max(sx0, std::max(source.Left, 0));
  sy0 = std::max(sy0, std::max(source.Top, 0));
  sx1 = std::min(sx1, std::min(source.Right, src.width()));
  sy1 = std::min(sy1, std::min(source.Bottom, src.height()));
  if (sx0 >= sx1 || sy0 >= sy1) return;
  const auto dx0 = static_cast<int>(std::lround(dest.Left + (sx0 - source.Left) * fx));
  const auto dy0 = static_cast<int>(std::lround(dest.Top + (sy0 - source.Top) * fy));
  const auto dx1 = static_cast<int>(std::lround(dest.Left + (sx1 - source.Left) * fx));
  const auto dy1 = static_cast<int>(std::lround(dest.Top + (sy1 - source.Top) * fy));
  if (dx0 >= dx1 || dy0 >= dy1) return;
  QImage part = PartOf(src, QRect(sx0, sy0, sx1 - sx0, sy1 - sy0));
  if (part.width() != dx1 - dx0 || part.height() != dy1 - dy0)
    part = part.scaled(dx1 - dx0, dy1 - dy0, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  painter_.save();
  painter_.setCompositionMode(QPainter::CompositionMode_Source);
  painter_.drawImage(dx0, dy0, part);
  painter_.restore();
}

void TQtCanvas::CopyToImage(TImage& image, const TRect& source) {
  auto* qi = dynamic_cast<TQtImage*>(&image);
  if (!qi) throw std::logic_error("the Qt canvas copies only into Qt images");
  QImage& target = qi->Image();
  if (target.isNull() || surface_.isNull()) return;
  const QRect inside = ToQRect(source) & surface_.rect();
  if (inside.isEmpty()) return;
  const QPoint at = inside.topLeft() - QPoint(source.Left, source.Top);
  const QRect into = QRect(at, inside.size()) & target.rect();
  if (into.isEmpty()) return;
  if (target.format() == surface_.format() && surface_.depth() >= 8 && surface_.depth() % 8 == 0) {
    // The mark background is saved at every track point of every redraw: copy rows directly.
    const int bytes = surface_.depth() / 8;
    for (int y = 0; y < into.height(); ++y)
      std::memcpy(target.scanLine(into.top() + y) + into.left() * bytes,
                  surface_.constScanLine(inside.top() + y) + inside.left() * bytes,
                  static_cast<size_t>(into.width() * bytes));
    return;
  }
  QPainter p(&target);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(into.topLeft(), surface_, QRect(inside.topLeft(), into.size()));
}

void TQtCanvas::DrawTransparent(int x, int y, const TImage& image) {
  const auto* qi = dynamic_cast<const TQtImage*>(&image);
  if (!qi) throw std::logic_error("the Qt canvas draws only Qt images");
  if (!painter_.isActive() || qi->Image().isNull()) return;
  painter_.save();
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter_.drawImage(x, y, qi->TransparentImage());
  painter_.restore();
}

void TQtCanvas::DrawPicture(int x, int y, const TArgbPicture& picture) {
  if (!painter_.isActive() || !picture.Pixels || picture.Width <= 0 || picture.Height <= 0) return;
  // Wrapped, not copied: the picture outlives this call.
  const QImage image(reinterpret_cast<const uchar*>(picture.Pixels), picture.Width, picture.Height,
                     static_cast<qsizetype>(picture.Stride) * 4, QImage::Format_ARGB32);
  painter_.save();
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter_.drawImage(x, y, image);
  painter_.restore();
}

void TQtCanvas::DrawSymbol(int x, int y, int index) {
  if (!painter_.isActive()) return;
  const QImage& symbol = ChartSymbol(index);
  if (symbol.isNull()) return;
  painter_.save();
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter_.drawImage(x, y, symbol);
  painter_.restore();
}

// ---- texts and symbols --------------------------------------------------------------------------

QString CanvasText(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

namespace {

QImage MakeSymbol(int index) {
  QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  const QColor grey(128, 128, 128);
  switch (index) {
    case 0:
      p.setPen(QPen(Qt::red, 2));
      p.drawLine(0, 0, 15, 15);
      p.drawLine(15, 0, 0, 15);
      break;
    case 1:
      // A plain disc, no outline, centred where the symbol's position falls (pixel 8, 8).
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::yellow);
      p.drawEllipse(QRect(1, 1, 15, 15));
      p.setPen(QPen(Qt::black, 1));
      p.drawLine(6, 8, 10, 8);
      p.drawLine(8, 6, 8, 10);
      break;
    case 2:
      p.setPen(QPen(Qt::black, 2));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRect(3, 3, 10, 10));
      break;
    case 3:
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRect(2, 3, 11, 9));
      p.drawLine(2, 3, 13, 12);
      p.drawLine(13, 3, 2, 12);
      break;
    case 4:
    case 5: {
      const QColor c = index == 4 ? QColor(Qt::black) : grey;
      p.setPen(QPen(c, 1));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRect(0, 0, 15, 15));
      p.setPen(Qt::NoPen);
      p.setBrush(c);
      p.drawRect(QRect(6, 6, 4, 4));
      break;
    }
    default:
      break;
  }
  return img;
}

}  // namespace

const QImage& ChartSymbol(int index) {
  static const std::array<QImage, 6> symbols = [] {
    std::array<QImage, 6> s;
    for (int i = 0; i < 6; ++i) s[static_cast<size_t>(i)] = MakeSymbol(i);
    return s;
  }();
  static const QImage none;
  return index >= 0 && index < 6 ? symbols[static_cast<size_t>(index)] : none;
}

}  // namespace orvane
