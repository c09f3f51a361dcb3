// A drop target in a process of its own, as a folder window of a file manager is: a
// window at a given place that takes text/uri-list with the move action and moves
// every dropped file or folder into a given folder.
//
// Usage: drop_target FOLDER X Y [DELAY_MS]
// Prints "ready" once the window is on the screen; for each drop "drop" as it arrives,
// then, after DELAY_MS (time for the source to change its mind), asks for the data and
// prints "moved NAME ..." with "missing:NAME" for a listed path that does not exist.
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

void say(const QString &line) {
  std::printf("%s\n", line.toLocal8Bit().constData());
  std::fflush(stdout);
}

class Target : public QWidget {
public:
  Target(QString folder, int delay) : folder_(std::move(folder)), delay_(delay) {
    setAcceptDrops(true);
    setWindowTitle("drop target");
  }

protected:
  void dragEnterEvent(QDragEnterEvent *event) override {
    if (event->mimeData()->hasFormat("text/uri-list") && (event->possibleActions() & Qt::MoveAction)) {
      event->setDropAction(Qt::MoveAction);
      event->accept();
    }
  }
  void dragMoveEvent(QDragMoveEvent *event) override {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  }
  void dropEvent(QDropEvent *event) override {
    say("drop");
    QThread::msleep(delay_);
    QStringList moved{"moved"};
    for (const QUrl &url : event->mimeData()->urls()) {
      const QFileInfo from(url.toLocalFile());
      if (!from.exists() && !from.isSymLink()) {
        moved << "missing:" + from.fileName();
        continue;
      }
      const QString to = folder_ + "/" + from.fileName();
      moved << (QDir().rename(from.filePath(), to) ? from.fileName() : "unmoved:" + from.fileName());
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    say(moved.join(' '));
  }

private:
  QString folder_;
  int delay_;
};

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: drop_target FOLDER X Y [DELAY_MS]\n");
    return 2;
  }
  Target target(QString::fromLocal8Bit(argv[1]), argc > 4 ? std::atoi(argv[4]) : 0);
  target.setGeometry(std::atoi(argv[2]), std::atoi(argv[3]), 300, 300);
  target.show();
  QTimer::singleShot(300, [] { say("ready"); });
  return app.exec();
}
