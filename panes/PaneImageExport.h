#pragma once
// Exporting a pane: the clipboard and image files get the pane's own rendering, never a
// grab of the screen, so that overlapping windows cannot end up in the picture.
#include <QImage>
#include <string>

class Pane2D;

// What a pane's window shows, painted at the window's size over black.
QImage RenderPaneImage(const Pane2D& pane, QSize window);

void CopyImageToClipboard(const QImage& image);

// Writes the image as 24-bit RGB in the format the path's extension names (".tif", ".png",
// ".bmp", ".jpg", ...; a format without 24-bit colour, such as GIF, gets a reduced
// palette). Written safely: 0 on success, -1 with any old file left as it was.
[[nodiscard]] int SaveImageFile(const QImage& image, const std::string& path);

// The pane image export: the image goes to the clipboard, then to the file (0, or -1; an
// empty image writes nothing).
[[nodiscard]] int CopyAndSaveImage(const QImage& image, const std::string& path);
