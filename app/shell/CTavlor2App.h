// CTavlor2App.h - the application object: start-up in its fixed order and the
// catalog named on the command line.
#ifndef APP_SHELL_CTAVLOR2APP_H
#define APP_SHELL_CTAVLOR2APP_H

#include <QApplication>

#include <memory>
#include <string>

class CMainFrame;
class CTavlor2Doc;

class CTavlor2App : public QApplication {
  Q_OBJECT
public:
  CTavlor2App(int &argc, char **argv);
  ~CTavlor2App() override;

  // Runs the start-up: locale, command line, settings key, document, frame, the
  // panes' first update, showing the window. False when it must end (the document
  // named on the command line cannot be opened).
  bool initInstance();

  // True when the command line names a catalog: it holds ".zar" at a position
  // greater than 0, or else ".ZAR" at a position greater than 0.
  static bool namesCatalog(const std::string &commandLine);

  // The command line as given after the program name (arguments joined with blanks,
  // used verbatim).
  const std::string &commandLine() const { return commandLine_; }
  bool hasCatalog() const { return hasCatalog_; }
  CMainFrame *frame() const { return frame_.get(); }
  CTavlor2Doc *document() const { return doc_.get(); }

private:
  std::string commandLine_;
  bool hasCatalog_ = false;
  std::unique_ptr<CTavlor2Doc> doc_;
  std::unique_ptr<CMainFrame> frame_;
};

#endif // APP_SHELL_CTAVLOR2APP_H
