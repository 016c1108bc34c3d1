#pragma once
// The program's icon, drawn at run time: a 48 x 48 picture of a generator
// screen with a sine wave. GUI thread only (QPixmap).

#include <QIcon>
#include <QImage>

namespace ui {

QImage ProgramIconImage(int size = 48);
QIcon ProgramIcon();

}  // namespace ui
