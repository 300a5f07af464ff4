// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The profile as a JSON file people can read and edit:
//
//   {
//     "format": 1,
//     "unit": "0.1 mm",
//     "analog_output": {"range": "4-20", "min": 0, "max": 100000},
//     "switching_outputs": {"on1": 1500, "off1": 1400, "on2": 3000, "off2": 2900},
//     "written_not_read_back": {"switching_mode": 1, "line_preset": 4,
//                               "automatic_measurement": false},
//     "provenance": {"serial_number": "A17", "version": "12",
//                    "production_date": "2024-06-18", "saved_at": "..."}
//   }
//
// A group left out leaves that setting alone; a group is whole or refused
// (its values go out in one command sequence). Anything the format does not
// know is refused by name rather than ignored: a misspelt key would
// otherwise leave a setting silently unchanged; so is a key given twice and
// a file without its "unit". What a refusal quotes from the file has its
// control characters spelled out (\x1b), as the sensor's bytes have.

#include "profile/profile.h"

#include <QByteArray>
#include <QString>

namespace profile {

class ProfileFile
{
public:
    static constexpr int kFormat = 1;
    // Far more than any profile; a larger file is refused unread.
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;

    // The profile from JSON text; on failure false, and `error` says what
    // and where ("line 3, column 7: ...", "analog_output.max: ...").
    static bool parse(const QByteArray &json, Profile *profile, QString *error);
    static QByteArray toJson(const Profile &profile);

    // Regular files only (profile/regularfile.h): read up to kMaxFileBytes,
    // written whole or not at all, a failed or interrupted write leaving
    // what was there before.
    static bool read(const QString &path, Profile *profile, QString *error);
    static bool write(const QString &path, const Profile &profile, QString *error);
};

} // namespace profile
