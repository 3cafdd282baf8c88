#pragma once

#include <QWidget>

#include "pixels.h"
#include "platform/ui/panel.h"

// What a widget shows, in a format whose pixels compare as plain RGB.
inline QImage render(QWidget &w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A borderless panel of one colour: a known background to draw over.
inline void plain(platform::ui::Panel &panel, QColor color, QSize size)
{
    panel.setBevels(platform::ui::Bevel::None, platform::ui::Bevel::None);
    panel.setColor(color);
    panel.resize(size);
}

inline platform::ui::Panel *plain(QWidget *parent, QColor color, QRect geometry)
{
    auto *panel = new platform::ui::Panel(parent);
    plain(*panel, color, geometry.size());
    panel->move(geometry.topLeft());
    return panel;
}
