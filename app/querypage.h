// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The query page's fields as the values of a query's answer fill them, one
// field per value: the query buttons and the Sensor menu's read back show an
// answer alike.

#include "protocol/presentedvalues.h"

class Ui_Searial;

// Sets each value's text into its field; the fields of other queries stay.
void showQueryValues(Ui_Searial *ui, protocol::Command command,
                     const QList<protocol::PresentedValue> &values);
