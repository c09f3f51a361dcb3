// Scales the program's one source image to the sizes of the hicolor icon theme:
//   icon_sizes SOURCE OUTPUT_FOLDER SIZE... -> OUTPUT_FOLDER/SIZExSIZE/apps/tavlor.png
#include <QDir>
#include <QImage>

#include <cstdio>

int main(int argc, char **argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: icon_sizes SOURCE OUTPUT_FOLDER SIZE...\n");
    return 2;
  }
  QImage source(QString::fromLocal8Bit(argv[1]));
  if (source.isNull()) {
    std::fprintf(stderr, "icon_sizes: cannot read %s\n", argv[1]);
    return 1;
  }
  for (int i = 3; i < argc; ++i) {
    const int size = QByteArray(argv[i]).toInt();
    const QString folder = QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
    QDir().mkpath(folder);
    QImage scaled = source.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (!scaled.save(folder + "/tavlor.png")) {
      std::fprintf(stderr, "icon_sizes: cannot write %s\n", qPrintable(folder));
      return 1;
    }
  }
  return 0;
}
