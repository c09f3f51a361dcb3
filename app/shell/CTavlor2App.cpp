#include "CTavlor2App.h"

#include "CMainFrame.h"
#include "CTavlor2Doc.h"
#include "MessageBoxes.h"
#include "TextCodec.h"
#include "settings/settings_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <clocale>
#include <fstream>

CTavlor2App::CTavlor2App() = default;

void CTavlor2App::setApplicationNames() {
  QCoreApplication::setApplicationName("Tavlor");
  QCoreApplication::setOrganizationName("Quorvale");
  // No display name: Qt would append it to every window title, and the dialogs'
  // titles ("Properties", "Tavlor 6.0" ...) are meant to stand alone. The main window
  // names the program in its own title.
}

CTavlor2App::~CTavlor2App() {
  // The frame goes first (it writes the placement), then the document (switches,
  // descriptions, extracted files), as at the end of every run.
  frame_.reset();
  doc_.reset();
}

bool CTavlor2App::namesCatalog(const std::string &commandLine) {
  size_t at = commandLine.find(".zar");
  if (at != std::string::npos && at > 0) return true;
  at = commandLine.find(".ZAR");
  return at != std::string::npos && at > 0;
}

bool CTavlor2App::initInstance(const QStringList &arguments) {
  // Qt sets the C locale for numbers only; dates and times follow the desktop.
  std::setlocale(LC_ALL, "");

  commandLine_ = QFile::encodeName(arguments.join(' ')).toStdString();
  hasCatalog_ = !commandLine_.empty() && namesCatalog(commandLine_);

  settings::createSettingsKey();
  installLibraryBoxes();

  doc_ = std::make_unique<CTavlor2Doc>();
  if (!commandLine_.empty()) {
    // The named file is the document: one that cannot be opened ends the start-up.
    std::ifstream named(commandLine_, std::ios::binary);
    if (!named) {
      showBox(nullptr, "Tavlor", tr("Failed to open document.\n") + displayText(commandLine_), BoxKind::Warning);
      return false;
    }
    doc_->setTitle(QFileInfo(QFile::decodeName(commandLine_.c_str())).fileName());
  }
  frame_ = std::make_unique<CMainFrame>(*doc_);
  frame_->initialUpdate(hasCatalog_ ? commandLine_ : std::string());
  frame_->show();
  return true;
}
