// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reaching into the main window the way an operator does: widgets by object
// name, slots through the meta-object, and the exchange state reset between
// test functions (it is file-scope and outlives each window).

#include <QByteArray>
#include <QObject>
#include <QString>

class Searial;
class PtyPeer;

template <class T> T *child(QObject *window, const char *name)
{
    return window->findChild<T *>(QString::fromLatin1(name));
}

// Back to the values the program starts with.
void resetExchangeState();

// Clicks the named button.
void click(QObject *window, const char *button);

// Runs a slot by name (most have no signal of their own in tests).
bool invoke(QObject *window, const char *slot);

// Writes one chunk as the sensor and waits until the program has taken it in
// (so that the next write arrives as a chunk of its own).
bool deliver(PtyPeer &peer, const QByteArray &bytes);

// Puts the pseudo-terminal into the port list and presses Open with `preset`
// selected. True when the program shows the open state.
bool openPort(Searial &window, const PtyPeer &peer, int preset = 0);
bool openPortAt(Searial &window, const QString &path, int preset = 0);
