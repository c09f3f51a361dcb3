#include "MessageBoxes.h"

#include "TextCodec.h"

#include <QApplication>
#include <QMessageBox>

#include "Tavscan60.h"
#include "platform/message_box.h"

namespace {

BoxHandler &handler() {
  static BoxHandler current;
  return current;
}

bool realBox(QWidget *parent, const BoxRequest &box) {
  switch (box.kind) {
  case BoxKind::Question:
    return QMessageBox::question(parent, box.caption, box.text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
  case BoxKind::Warning:
    QMessageBox::warning(parent, box.caption, box.text);
    return true;
  case BoxKind::Information:
    QMessageBox::information(parent, box.caption, box.text);
    return true;
  case BoxKind::Stop:
    QMessageBox::critical(parent, box.caption, box.text);
    return true;
  case BoxKind::Plain: {
    QMessageBox plain(QMessageBox::NoIcon, box.caption, box.text, QMessageBox::Ok, parent);
    plain.exec();
    return true;
  }
  }
  return true;
}

void libraryBox(const char *caption, const char *text, int icon, void *) {
  BoxKind kind = icon == kTavscanBoxWarning       ? BoxKind::Warning
                 : icon == kTavscanBoxInformation ? BoxKind::Information
                                                  : BoxKind::Plain;
  // The library's boxes belong to no window of ours; parenting them on the active
  // window only keeps them in front.
  showBox(QApplication::activeWindow(), displayText(caption), displayText(text), kind);
}

} // namespace

void setBoxHandler(BoxHandler newHandler) {
  handler() = std::move(newHandler);
}

bool showBox(QWidget *parent, const QString &caption, const QString &text, BoxKind kind) {
  BoxRequest box{caption, text, kind};
  if (handler()) return handler()(parent, box);
  return realBox(parent, box);
}

void installLibraryBoxes() {
  tavscanSetMessageBoxHandler(libraryBox, nullptr);
  platform::setMessageBoxHandler(libraryBox, nullptr);
}
