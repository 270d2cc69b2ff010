#pragma once

#include <QString>

// Which lines are read a second time, and how: the detector takes what either reading finds.

// Whether a line reads like a misread address, key or number: it is read again a little smaller.
bool readsDoubtfully(const QString& text);
// Whether digit groups nearly make a phone number or an IP address: they are read again larger.
bool nearlyPhoneOrAddress(const QString& text);
