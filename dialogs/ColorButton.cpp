#include "dialogs/ColorButton.h"

#include "platform/ColorRefQt.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QMenu>
#include <QWidgetAction>

namespace {
constexpr int kPaletteColumns = 5;
constexpr int kSwatchSize = 16;

QIcon SwatchIcon(platform::COLORREF color)
{
  QPixmap swatch(kSwatchSize * 2, kSwatchSize);
  swatch.fill(platform::ToQColor(color));
  return QIcon(swatch);
}
}  // namespace

ColorButton::ColorButton(QWidget* parent) : QToolButton(parent)
{
  setPopupMode(QToolButton::InstantPopup);
  setIconSize(QSize(kSwatchSize * 2, kSwatchSize));
  BuildPalette();
  SetColor(0);
}

void ColorButton::SetColor(platform::COLORREF color)
{
  m_Color = color;
  setIcon(SwatchIcon(color));
}

void ColorButton::BuildPalette()
{
  auto* menu = new QMenu(this);
  auto* grid = new QWidget(menu);
  auto* layout = new QGridLayout(grid);
  layout->setSpacing(2);
  // The palette offers the colours of the surfaces and markers, then black, grey and white.
  std::vector<platform::COLORREF> colors(std::begin(platform::kDefaultColorTable),
                                         std::end(platform::kDefaultColorTable));
  for (const platform::COLORREF extra : {platform::MakeColorRef(0, 0, 0), platform::MakeColorRef(127, 127, 127),
                                         platform::MakeColorRef(192, 192, 192), platform::MakeColorRef(255, 255, 255),
                                         platform::MakeColorRef(255, 0, 0)})
    colors.push_back(extra);
  for (size_t i = 0; i < colors.size(); ++i) {
    auto* swatch = new QToolButton(grid);
    swatch->setIcon(SwatchIcon(colors[i]));
    swatch->setAutoRaise(true);
    const platform::COLORREF color = colors[i];
    connect(swatch, &QToolButton::clicked, this, [this, menu, color] {
      menu->close();
      SetColor(color);
    });
    layout->addWidget(swatch, static_cast<int>(i) / kPaletteColumns, static_cast<int>(i) % kPaletteColumns);
  }
  auto* palette = new QWidgetAction(menu);
  palette->setDefaultWidget(grid);
  menu->addAction(palette);
  menu->addSeparator();
  menu->addAction(tr("Other..."), this, [this] { ChooseOther(); });
  setMenu(menu);
}

void ColorButton::ChooseOther()
{
  const QColor chosen = QColorDialog::getColor(platform::ToQColor(m_Color), this);
  if (chosen.isValid())
    SetColor(platform::ToColorRef(chosen));
}
