#pragma once
// Font colours the main window's handlers give their buttons.

#include <QColor>

namespace control::colors {

inline const QColor Red{0xFF, 0x00, 0x00};
inline const QColor Purple{0x80, 0x00, 0x80};
inline const QColor Maroon{0x80, 0x00, 0x00};
inline const QColor Teal{0x00, 0x80, 0x80};
inline const QColor Olive{0x80, 0x80, 0x00};
inline const QColor Navy{0x00, 0x00, 0x80};
// The arrow, step and Set buttons' own colour.
inline const QColor Arrow{0xC0, 0x00, 0x10};

}  // namespace control::colors
