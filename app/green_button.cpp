// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "green_button.h"

#include <qdrawutil.h>
#include <QStyleOptionButton>
#include <QStylePainter>

GreenButton::GreenButton(const QString &text, const QColor &face, QWidget *parent)
    : QPushButton(text, parent)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Button, face);
    colours.setColor(QPalette::ButtonText, Qt::black);
    colours.setColor(QPalette::Light, Qt::white);
    colours.setColor(QPalette::Dark, QColor(128, 128, 128));
    colours.setColor(QPalette::Shadow, Qt::black);
    setPalette(colours);
    setAutoDefault(true);
}

void GreenButton::paintEvent(QPaintEvent * /*event*/)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const bool pressed = isDown();
    const QBrush face = palette().button();
    qDrawWinButton(&painter, rect(), palette(), pressed, &face);

    // The caption's room is inside the raised edge; pressed, it moves down and
    // right with the sunken face.
    option.rect.adjust(2, 2, -2, -2);
    if (pressed)
        option.rect.translate(1, 1);
    painter.drawControl(QStyle::CE_PushButtonLabel, option);

    // A dotted frame inside the edge, whether the focus came by keyboard or mouse.
    if (hasFocus()) {
        painter.setPen(QPen(palette().buttonText(), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(4, 4, -5, -5));
    }
}
