// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Collects the program's writes to the port one by one, from its trace
// category, so that tests see where one write ends and the next begins (the
// far end of the line only sees a byte stream).

#include <QByteArrayList>

class WireTap
{
public:
    WireTap();
    ~WireTap();
    WireTap(const WireTap &) = delete;
    WireTap &operator=(const WireTap &) = delete;

    QByteArrayList writes() const;
    void clear();
};
