// Save As HTML: the dialog's defaults and buttons, the large-set question, the tree
// pane's entry, and the row icons as a browser's image decoder reads them.
#include "gui_suites.h"
#include "pane_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "CSaveAsHTML.h"
#include "DialogRunner.h"
#include "export/html_icons.h"
#include "model/catalog_loader.h"

using namespace gui_support;

namespace {

class QuietReporter : public tavlor::LoadReporter {
public:
  void warning(const std::string &, const std::string &) override {}
};

// A model of one disk BIG holding files plain files.
void loadBigDisk(tavlor::CatalogModel &model, int files) {
  std::string text = "zar_version_1_1\n< \n   %drivetype fixed\n> \n + \"BIG\" 1000 500 1 1 2000 0 0 0\n < \n";
  for (int i = 0; i < files; ++i)
    text += " \"f" + std::to_string(i) + "\" 1 1 1 2000 0 0 0\n";
  text += " > \n";
  QuietReporter reporter;
  tavlor::loadCatalogText(model, text, "/c/BIG.zar", reporter);
}

template <typename T> T *child(QDialog &d, const char *name) {
  return d.findChild<T *>(name);
}

} // namespace

class SaveAsHtmlTest : public QObject {
  Q_OBJECT
private slots:
  void defaultsRadioButtonsAndSave() {
    PaneFixture f;
    const QString temp = freshFolder("temp");
    qputenv("TEMP", temp.toUtf8());
    CSaveAsHTML dialog(f.model(), f.disk("BACKUP"), nullptr);
    qunsetenv("TEMP");
    QCOMPARE(child<QLineEdit>(dialog, "pathEdit")->text(), temp + "/index.htm");
    QVERIFY(child<QLineEdit>(dialog, "descriptionEdit")->text().startsWith("Web site updated "));
    QVERIFY(child<QCheckBox>(dialog, "recurseCheck")->isChecked());
    QVERIFY(child<QRadioButton>(dialog, "webSiteRadio")->isChecked());
    QProgressBar *progress = child<QProgressBar>(dialog, "progressBar");
    QCOMPARE(progress->maximum(), int(dialog.totals().folders + dialog.totals().zipFolders));
    QCOMPARE(dialog.totals().size, 1020);

    child<QRadioButton>(dialog, "singleFileRadio")->click();
    QVERIFY(dialog.values().singleFile && !child<QRadioButton>(dialog, "webSiteRadio")->isChecked());
    child<QRadioButton>(dialog, "webSiteRadio")->click();
    QVERIFY(!dialog.values().singleFile && !child<QRadioButton>(dialog, "singleFileRadio")->isChecked());

    // "Save" writes the site and remembers where.
    const QString out = freshFolder("site") + "/index.htm";
    child<QLineEdit>(dialog, "pathEdit")->setText(out);
    child<QPushButton>(dialog, "saveButton")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(QFile::exists(out));
    QVERIFY(QFile::exists(QFileInfo(out).path() + "/Tavlor_folder2.htm"));
    QVERIFY(QFile::exists(QFileInfo(out).path() + "/upicon.gif"));
    QCOMPARE(storedSetting("HtmlFile").toString(), out);
    QCOMPARE(progress->value(), progress->maximum());

    // The next dialog starts from the stored path; "Cancel" writes and stores nothing.
    CSaveAsHTML again(f.model(), f.disk("SMALL"), nullptr);
    QCOMPARE(child<QLineEdit>(again, "pathEdit")->text(), out);
    const QString elsewhere = freshFolder("cancelled") + "/index.htm";
    child<QLineEdit>(again, "pathEdit")->setText(elsewhere);
    child<QPushButton>(again, "cancelButton")->click();
    QCOMPARE(again.result(), int(QDialog::Rejected));
    QVERIFY(QDir(QFileInfo(elsewhere).path()).isEmpty());
    QCOMPARE(storedSetting("HtmlFile").toString(), out);
  }

  // One file of more than 5000 files is asked about; declining writes nothing but keeps
  // the path, and the dialog stays open.
  void largeSetQuestion() {
    PaneFixture f;
    for (const int files : {5001, 5000}) {
      tavlor::CatalogModel model;
      loadBigDisk(model, files);
      CSaveAsHTML dialog(model, model.findChild(model.root(), "BIG", false), nullptr);
      const QString out = freshFolder(QString("big%1").arg(files)) + "/all.htm";
      child<QLineEdit>(dialog, "pathEdit")->setText(out);
      child<QRadioButton>(dialog, "singleFileRadio")->click();
      BoxLog boxes(false);
      dialog.save();
      QCOMPARE(int(boxes.boxes().size()), files > 5000 ? 1 : 0);
      QCOMPARE(QFile::exists(out), files <= 5000);
      QCOMPARE(dialog.result(), int(files > 5000 ? QDialog::Rejected : QDialog::Accepted));
      QCOMPARE(storedSetting("HtmlFile").toString(), out);
      if (files > 5000) {
        QCOMPARE(boxes.boxes()[0].kind, BoxKind::Question);
        QVERIFY(boxes.boxes()[0].text.endsWith("\n\nDo you want to proceed anyway?"));
      }
    }
  }

  // A missing folder is made; a path that cannot be written is shown with the reason,
  // the dialog stays open and the path is not remembered.
  void missingFolderIsMadeAndFailureIsShown() {
    PaneFixture f;
    CSaveAsHTML dialog(f.model(), f.disk("BACKUP"), nullptr);
    const QString made = freshFolder("made") + "/deeper/index.htm";
    child<QLineEdit>(dialog, "pathEdit")->setText(made);
    dialog.save();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(QFile::exists(made));

    CSaveAsHTML again(f.model(), f.disk("BACKUP"), nullptr);
    const QString blocked = made + "/site/index.htm"; // below a file
    child<QLineEdit>(again, "pathEdit")->setText(blocked);
    BoxLog boxes(false);
    again.save();
    QCOMPARE(int(boxes.boxes().size()), 1);
    QCOMPARE(boxes.boxes()[0].kind, BoxKind::Warning);
    QVERIFY(boxes.boxes()[0].text.contains(made + "/site: Not a directory"));
    QCOMPARE(again.result(), int(QDialog::Rejected));
    QCOMPARE(storedSetting("HtmlFile").toString(), made);
  }

  void treeMenuExportsTheItemItWasOpenedOn() {
    PaneFixture f;
    auto menu = f.tree().contextMenu(f.folder("BACKUP", "docs"));
    QAction *entry = nullptr;
    for (QAction *a : menu->actions())
      if (a->text() == "Save As HTML ...") entry = a;
    QVERIFY(entry);
    std::int64_t files = -1;
    setDialogRunner([&](QDialog &d) {
      files = static_cast<CSaveAsHTML &>(d).totals().files;
      return int(QDialog::Rejected);
    });
    entry->trigger();
    setDialogRunner({});
    QCOMPARE(files, std::int64_t(2)); // x.txt and y.txt
  }

  // GIF87a files of 900, 877, 866 and 863 bytes with a 256-entry table that a
  // browser's decoder reads back as the pictures.
  void iconsDecodeToTheirPictures() {
    const std::size_t sizes[] = {900, 877, 866, 863};
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
      const tavlor::HtmlIcon &icon = tavlor::htmlIcons()[i];
      QCOMPARE(icon.bytes.size(), sizes[i]);
      QCOMPARE(quint8(icon.bytes[10]), quint8(0xf7));
      QImage image;
      QVERIFY(image.loadFromData(reinterpret_cast<const uchar *>(icon.bytes.data()), int(icon.bytes.size()), "GIF"));
      QCOMPARE(image.size(), QSize(icon.width, icon.height));
      QCOMPARE(icon.bytes.substr(0, 6), std::string_view("GIF87a"));
      QCOMPARE(image.pixel(0, icon.height - 1), qRgb(255, 255, 255)); // white like the pages
      int outline = 0;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
          outline += image.pixel(x, y) == qRgb(0, 0, 0);
      QVERIFY2(outline > 20, icon.fileName);
    }
  }
};

GUI_SUITE(SaveAsHtmlTest);
#include "html_export_test.moc"
