#pragma once

#include <QString>

// Mends an address's @ misread as a letter (G, E, B, f, a small round letter among capitals) where
// what follows it ends in a common top-level domain; the token held no @, so it was no address yet.
void mendAddressSign(QString& line);
// The endings of the domains addresses are seldom without, as alternatives of a pattern
// ("com|org|..."); a file's extension is none of them.
const QString& commonDomainEndings();
// Before an address's @, a slashed zero read as a second @ and a 7 read as a slash after a digit;
// after a currency sign, a 7 read as a slash or a T; a phone number's leading 5
// read as a section sign.
void mendSevensAndZerosBeforeAt(QString& line);

// Within the token from `from` to `to`: an accented letter in an address's user name before a
// host becomes its plain letter ("tlarsendé@mail.bluth.co"), and digits in the ending of its domain
// the letters they were misread for ("acme.10", "duff.i0]").
void mendAddressUser(QString& line, qsizetype from, qsizetype to);
void mendDomainEnding(QString& line, qsizetype from, qsizetype to);
