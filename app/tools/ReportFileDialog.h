// ReportFileDialog.h - asks where a result list's report goes.
#ifndef APP_TOOLS_REPORTFILEDIALOG_H
#define APP_TOOLS_REPORTFILEDIALOG_H

#include <QString>

class QWidget;

// The save dialog of Save Report: proposes proposedName (with ".txt"), offers text,
// comma-separated and all files, asks before replacing a file. Returns the chosen
// path, or an empty text when the user cancelled. A name typed without extension
// gets the one of the chosen filter (".txt" at first).
QString askReportFile(QWidget *parent, const QString &proposedName);

#endif // APP_TOOLS_REPORTFILEDIALOG_H
