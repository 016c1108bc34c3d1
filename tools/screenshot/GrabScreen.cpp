// Saves a screenshot of the X screen ($DISPLAY), or of one of its windows,
// as a PNG file.
// Usage: zolvek-grab OUTPUT.png [WINDOW-ID]

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: %s OUTPUT.png [WINDOW-ID]\n", argv[0]);
    return 2;
  }
  const WId window = argc == 3 ? std::strtoull(argv[2], nullptr, 0) : 0;
  qputenv("QT_QPA_PLATFORM", "xcb");
  QGuiApplication application(argc, argv);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return 1;
  const QPixmap shot = screen->grabWindow(window);
  if (shot.isNull()) return 1;
  return shot.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
