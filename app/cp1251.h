// Conversions between the system's 8-bit texts and the window's QString.
// Texts of the system are code page 1251; the window converts them only for
// display and converts what it shows back. A character 1251 cannot hold
// becomes "?". File names are the host's own bytes: FileNameCaption shows one
// as well as can be (UTF-8 when valid, else DOS 866 or 1251 when every
// high byte is a letter there, else Latin-1); the bytes themselves are kept
// apart by the caller. Pure functions, no state.
#pragma once

#include <QString>
#include <string>

QString Cp1251ToQString(const std::string& text);
std::string QStringToCp1251(const QString& text);
QString Cp866ToQString(const std::string& text);
QString FileNameCaption(const std::string& name);
