// ImageList: the 16 x 16 images of a pane with their two overlay images, drawn ready.
#pragma once

#include <QIcon>
#include <QString>
#include <array>
#include <vector>

// Images are read from the program's resources (":/icons/<name>.png"); overlay 1 and 2 are
// two of the images drawn over another.
class ImageList {
 public:
  ImageList(const std::vector<QString>& names, int overlay1Image, int overlay2Image);

  // Image `image` with overlay 0 (none), 1 or 2; an empty icon for an index out of range.
  const QIcon& Icon(int image, int overlay = 0) const;
  int Count() const { return static_cast<int>(m_icons.size()); }

 private:
  std::vector<std::array<QIcon, 3>> m_icons;
  QIcon m_none;
};

// The tree's images: 0 project, 1 main group, 2 middle group, 3 devices node, 4 untyped
// mark, 5 failure mark; overlay 1 = image 4, overlay 2 = image 5.
const ImageList& TreeImages();
// The list's images: 0 group address, 1 device, 2 untyped mark, 3 failure mark, 4 group
// address read at project start; overlay 1 = image 2, overlay 2 = image 3.
const ImageList& ListImages();
// A toolbar image by name (":/icons/<name>.png").
QIcon ToolbarIcon(const QString& name);
