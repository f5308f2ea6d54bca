// ImageList: composites of each image with each overlay, made once.
#include "ui/image_list.h"

#include <QPainter>
#include <QPixmap>

// The images are compiled into the static library, whose resource initialiser is only
// linked in when something calls it.
static void InitIconResources() {
  Q_INIT_RESOURCE(icons);
}

namespace {

constexpr int kSize = 16;

QPixmap Load(const QString& name) {
  static const bool initialised = (InitIconResources(), true);
  (void)initialised;
  QPixmap pixmap(QStringLiteral(":/icons/") + name + QStringLiteral(".png"));
  if (pixmap.isNull()) {
    pixmap = QPixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
  }
  return pixmap;
}

}  // namespace

ImageList::ImageList(const std::vector<QString>& names, int overlay1Image, int overlay2Image) {
  std::vector<QPixmap> pixmaps;
  for (const QString& name : names) pixmaps.push_back(Load(name));
  const std::array<const QPixmap*, 2> overlays{&pixmaps.at(overlay1Image),
                                               &pixmaps.at(overlay2Image)};
  for (const QPixmap& base : pixmaps) {
    std::array<QIcon, 3> icons;
    icons[0] = QIcon(base);
    for (int overlay = 1; overlay <= 2; ++overlay) {
      QPixmap composite = base;
      QPainter painter(&composite);
      painter.drawPixmap(0, 0, *overlays[overlay - 1]);
      painter.end();
      icons[overlay] = QIcon(composite);
    }
    m_icons.push_back(icons);
  }
}

const QIcon& ImageList::Icon(int image, int overlay) const {
  if (image < 0 || image >= Count() || overlay < 0 || overlay > 2) return m_none;
  return m_icons[image][overlay];
}

const ImageList& TreeImages() {
  static const ImageList images(
      {"project", "main_group", "middle_group", "devices", "untyped_mark", "failure_mark"}, 4, 5);
  return images;
}

const ImageList& ListImages() {
  static const ImageList images(
      {"group_address", "device", "untyped_mark", "failure_mark", "group_address_read"}, 2, 3);
  return images;
}

QIcon ToolbarIcon(const QString& name) {
  return QIcon(Load(name));
}
