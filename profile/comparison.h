// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Setting by setting, what two profiles hold: a sensor's read back against a
// file, or two files.

#include "profile/profile.h"

#include <QList>
#include <QString>

namespace profile {

class Comparison
{
public:
    struct Row
    {
        QString setting; // as the file names it: "switching_outputs.on1"
        QString left;    // empty: not held
        QString right;
        bool match = false;
    };

    enum class Scope {
        // A sensor (left) against a file (right): only what the file holds
        // and the sensor reports; the rest is left alone by apply.
        ReadBack,
        // Two files: every value either holds.
        Everything,
    };

    Comparison(const Profile &left, const Profile &right, Scope scope);

    const QList<Row> &rows() const { return m_rows; }
    QList<Row> differences() const;
    bool equal() const { return differences().isEmpty(); }

private:
    QList<Row> m_rows;
};

} // namespace profile
