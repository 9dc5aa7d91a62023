// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPushButton>

// A push button whose face is one solid colour inside a raised edge, as the
// operator's buttons have always looked: styles paint their own gradient
// over a palette's button colour. Enter and Return press it while it has the
// focus, as Space does.
class GreenButton final : public QPushButton
{
public:
    GreenButton(const QString &text, const QColor &face, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
