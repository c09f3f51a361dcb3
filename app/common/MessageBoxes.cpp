#include "MessageBoxes.h"

#include "TextCodec.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <vector>

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
  case BoxKind::InformationOkCancel:
    return QMessageBox::information(parent, box.caption, box.text, QMessageBox::Ok | QMessageBox::Cancel,
                                    QMessageBox::Ok) == QMessageBox::Ok;
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

namespace {

constexpr char kWaitWindow[] = "tavlorWaitWindow";

bool isWaitWindow(const QWidget *widget) {
  return widget && widget->window()->property(kWaitWindow).toBool();
}

} // namespace

void markAsWaitWindow(QWidget *window) {
  window->setProperty(kWaitWindow, true);
}

bool waitWindowShowing() {
  for (QWidget *window : QApplication::topLevelWidgets())
    if (window->isVisible() && isWaitWindow(window)) return true;
  return false;
}

bool showBox(QWidget *parent, const QString &caption, const QString &text, BoxKind kind) {
  std::vector<QPointer<QWidget>> hidden;
  for (QWidget *window : QApplication::topLevelWidgets())
    if (window->isVisible() && isWaitWindow(window)) {
      window->hide();
      hidden.emplace_back(window);
    }
  // A box over a hidden window would appear as if it had no owner.
  while (isWaitWindow(parent))
    parent = parent->window()->parentWidget();
  BoxRequest box{caption, text, kind};
  bool answer = handler() ? handler()(parent, box) : realBox(parent, box);
  // The work goes on after the box, and so does its window.
  for (const QPointer<QWidget> &window : hidden)
    if (window) window->show();
  if (!hidden.empty()) QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  return answer;
}

void installLibraryBoxes() {
  tavscanSetMessageBoxHandler(libraryBox, nullptr);
  platform::setMessageBoxHandler(libraryBox, nullptr);
}
