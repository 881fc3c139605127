#pragma once

#include <QColor>
#include <QPalette>

namespace metrazil {

// A dark desktop's palette as a colour-scheme tool gives it to Qt's Fusion style: light text on a near-black
// window, grey buttons and fields, a blue link that barely reads on the window.
inline QPalette DarkPalette() {
  struct TRole {
    QPalette::ColorRole role;
    QRgb active;
    QRgb disabled;
  };
  static constexpr TRole kRoles[] = {
      {QPalette::WindowText, 0xffffff, 0x808080},    {QPalette::Button, 0x424245, 0x424245},
      {QPalette::Light, 0x979797, 0x979797},         {QPalette::Midlight, 0x5e5c5b, 0x5e5c5b},
      {QPalette::Dark, 0x302f2e, 0x302f2e},          {QPalette::Mid, 0x4a4947, 0x4a4947},
      {QPalette::Text, 0xffffff, 0x808080},          {QPalette::BrightText, 0xffffff, 0xffffff},
      {QPalette::ButtonText, 0xffffff, 0x808080},    {QPalette::Base, 0x3d3d3d, 0x3d3d3d},
      {QPalette::Window, 0x222020, 0x222020},        {QPalette::Shadow, 0x000000, 0x000000},
      {QPalette::Highlight, 0x12608a, 0x12608a},     {QPalette::HighlightedText, 0xf9f9f9, 0x808080},
      {QPalette::Link, 0x0986d3, 0x0986d3},          {QPalette::LinkVisited, 0xa70b06, 0xa70b06},
      {QPalette::AlternateBase, 0x5c5b5a, 0x5c5b5a}, {QPalette::ToolTipBase, 0x3f3f36, 0x3f3f36},
      {QPalette::ToolTipText, 0xffffff, 0xffffff},   {QPalette::PlaceholderText, 0xa0a0a0, 0x707070},
  };
  QPalette palette;
  for (const TRole& r : kRoles) {
    palette.setColor(QPalette::Active, r.role, QColor(r.active));
    palette.setColor(QPalette::Inactive, r.role, QColor(r.active));
    palette.setColor(QPalette::Disabled, r.role, QColor(r.disabled));
  }
  return palette;
}

}  // namespace metrazil
