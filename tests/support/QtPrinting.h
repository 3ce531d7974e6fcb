#pragma once

#include <QString>

#include <ostream>

// GoogleTest shows a QString in a failure as its text, not as bytes. Found by
// argument-dependent lookup: QString lives in the global namespace.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
