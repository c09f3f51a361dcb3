// CTavlor2App.h - the application object: start-up in its fixed order and the
// catalog named on the command line.
#ifndef APP_SHELL_CTAVLOR2APP_H
#define APP_SHELL_CTAVLOR2APP_H

#include <QObject>
#include <QStringList>

#include <memory>
#include <string>

class CMainFrame;
class CTavlor2Doc;

// The Qt application object exists before this one (main makes it) and runs the
// event loop; this object owns the document and the frame for one run.
class CTavlor2App : public QObject {
  Q_OBJECT
public:
  CTavlor2App();
  ~CTavlor2App() override;

  // Sets the names that select the settings key (organisation "Quorvale",
  // application "Tavlor") on the running Qt application.
  static void setApplicationNames();

  // Runs the start-up with the arguments after the program name: locale, command
  // line, settings key, document, frame, the panes' first update, showing the
  // window. False when it must end (the document named on the command line cannot be
  // opened).
  bool initInstance(const QStringList &arguments);

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
