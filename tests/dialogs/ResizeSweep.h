#pragma once
// Resizes a shown dialog through a series of sizes and checks how each control followed:
// for every change of the dialog's width and height, a control's left, top, width and
// height change by 0 or 1 times that change, as its rule says.
#include <QRect>
#include <QSize>
#include <QWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace resizesweep {

struct Follow {
  QWidget* control;
  int x, y, width, height;  // 0: stays, 1: follows the change
};

// The four rules of resizable dialogs, as (x, y, width, height) shares.
inline Follow StretchAcross(QWidget* c) { return {c, 0, 0, 1, 0}; }
inline Follow StretchBoth(QWidget* c) { return {c, 0, 0, 1, 1}; }
inline Follow Right(QWidget* c) { return {c, 1, 0, 0, 0}; }
inline Follow BottomRight(QWidget* c) { return {c, 1, 1, 0, 0}; }
inline Follow Fixed(QWidget* c) { return {c, 0, 0, 0, 0}; }

// The control's rectangle in the dialog's client coordinates, wherever its parent is.
inline QRect InDialog(const QWidget& dialog, const QWidget& control)
{
  return QRect(control.mapTo(&dialog, QPoint(0, 0)), control.size());
}

inline void ExpectFollows(QWidget& dialog, const std::vector<Follow>& follows, const std::vector<QSize>& sizes)
{
  for (const Follow& f : follows)
    ASSERT_NE(f.control, nullptr);
  for (size_t step = 1; step < sizes.size(); ++step) {
    dialog.resize(sizes[step - 1]);
    ASSERT_EQ(dialog.size(), sizes[step - 1]);
    std::vector<QRect> before;
    for (const Follow& f : follows)
      before.push_back(InDialog(dialog, *f.control));
    dialog.resize(sizes[step]);
    const QSize change = sizes[step] - sizes[step - 1];
    for (size_t i = 0; i < follows.size(); ++i) {
      const Follow& f = follows[i];
      const QRect expected(before[i].x() + f.x * change.width(), before[i].y() + f.y * change.height(),
                           before[i].width() + f.width * change.width(),
                           before[i].height() + f.height * change.height());
      EXPECT_EQ(InDialog(dialog, *f.control), expected)
        << f.control->objectName().toStdString() << " (" << f.control->property("controlId").toInt() << "), "
        << sizes[step - 1].width() << " x " << sizes[step - 1].height() << " to " << sizes[step].width() << " x "
        << sizes[step].height();
    }
  }
}

// No window manager frames the test's windows, so the window is the client area: asking for
// less than the minimum gives the minimum.
inline void ExpectMinimum(QWidget& dialog, QSize minimum)
{
  dialog.resize(100, 80);
  EXPECT_EQ(dialog.frameGeometry().size(), minimum);
}

}  // namespace resizesweep
