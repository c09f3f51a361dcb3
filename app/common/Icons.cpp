#include "Icons.h"

#include <QBitmap>
#include <QHash>
#include <QMimeDatabase>
#include <QPixmap>

#include <vector>

// The images are compiled into a static library, whose resources are registered
// only on request.
static void registerImages() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(tavlor);
    return true;
  }();
  (void)registered;
}

namespace {

// Cuts a strip whose transparent colour is magenta into images of `width` pixels.
std::vector<QIcon> cutStrip(const char *resource, int width) {
  registerImages();
  QPixmap strip(resource);
  strip.setMask(strip.createMaskFromColor(QColor(255, 0, 255), Qt::MaskInColor));
  std::vector<QIcon> icons;
  for (int x = 0; x + width <= strip.width(); x += width)
    icons.emplace_back(strip.copy(x, 0, width, strip.height()));
  return icons;
}

const std::vector<QIcon> &strip() {
  static const std::vector<QIcon> icons = cutStrip(":/tavlor/icon_strip.xpm", 15);
  return icons;
}

const std::vector<QIcon> &toolbar() {
  static const std::vector<QIcon> icons = cutStrip(":/tavlor/toolbar.xpm", 16);
  return icons;
}

} // namespace

QIcon stripIcon(int index) {
  const auto &icons = strip();
  return index >= 0 && index < static_cast<int>(icons.size()) ? icons[static_cast<size_t>(index)] : QIcon();
}

int stripIconCount() {
  return static_cast<int>(strip().size());
}

QIcon toolbarIcon(ToolbarImage image) {
  const auto &icons = toolbar();
  auto index = static_cast<size_t>(image);
  return index < icons.size() ? icons[index] : QIcon();
}

QIcon programIcon() {
  return stripIcon(4);
}

QIcon systemIconForName(const QString &name, bool folder) {
  // Thousands of rows share a few types: the icon is looked up once per suffix.
  static QHash<QString, QIcon> bySuffix;
  static const QIcon folderIcon = QIcon::fromTheme("folder");
  if (folder) return folderIcon;
  qsizetype dot = name.lastIndexOf('.');
  QString suffix = dot > 0 ? name.mid(dot + 1).toLower() : QString();
  auto found = bySuffix.constFind(suffix);
  if (found != bySuffix.constEnd()) return *found;
  static QMimeDatabase mimes;
  QMimeType type = mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
  QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
  bySuffix.insert(suffix, icon);
  return icon;
}
