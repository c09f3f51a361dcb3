// Opening, closing and deleting catalogs.
#include "gui_suites.h"
#include "pane_fixture.h"

#include <QFileInfo>
#include <QtTest>

#include "CatalogCommands.h"

using namespace gui_support;

class CommandTest : public QObject {
  Q_OBJECT
private slots:
  void closeSelectedCatalogsClosesEverySelectedDisk() {
    PaneFixture f;
    f.select(f.model().root());
    f.list().view()->selectAll();
    f.list().closeSelectedCatalogs();
    QCOMPARE(f.model().childrenOf(f.model().root()).size(), size_t(0));
    QVERIFY(f.rows().diskMode());
    QCOMPARE(f.rows().rowCount(), 0);
    QVERIFY(QFileInfo::exists(f.catalogs + "/BACKUP.zar")); // closing keeps the file
  }

  void deleteCatalogAsksThenDeletesTheFile() {
    PaneFixture f;
    BoxLog boxes(false);
    f.tree().setContextItem(f.disk("SMALL"));
    f.tree().deleteContextCatalog();
    QCOMPARE(boxes.boxes().size(), size_t(1));
    QCOMPARE(boxes.boxes()[0].kind, BoxKind::Question);
    QCOMPARE(boxes.boxes()[0].text, QString("Are you sure you want to permanently delete the SMALL catalog file?\n"
                                            "(Catalogs cannot be recreated without the original disk)"));
    QVERIFY(f.disk("SMALL") != tavlor::kNoItem);

    boxes.setAnswer(true);
    f.tree().view()->setFocus();
    f.tree().setContextItem(f.disk("SMALL"));
    QTest::keyClick(f.tree().view(), Qt::Key_Delete);
    QCOMPARE(boxes.boxes().size(), size_t(2));
    QVERIFY(!QFileInfo::exists(f.catalogs + "/SMALL.zar"));
    QCOMPARE(f.disk("SMALL"), tavlor::kNoItem);
    QVERIFY(!f.model().lookupEntry(f.model().root(), "SMALL"));
  }

  void deleteFailsWhenTheFileIsNamedOtherThanTheLabel() {
    PaneFixture f;
    writeCatalog(f.catalogs, "renamed.zar", "NAMED", fileLine("n", 1));
    f.app->frame()->commands()->openAllCatalogs();
    BoxLog boxes(true);
    f.tree().setContextItem(f.disk("NAMED"));
    f.tree().deleteContextCatalog();
    QCOMPARE(boxes.boxes().size(), size_t(2));
    QCOMPARE(boxes.boxes()[1].text, "Unable to delete the file " + f.catalogs +
                                        "/NAMED.zar\nCheck file protection\nDelete operation cancelled (safely !)");
    QVERIFY(f.disk("NAMED") != tavlor::kNoItem);
    QVERIFY(QFileInfo::exists(f.catalogs + "/renamed.zar"));
  }

  void aLabelNeverDeletesAFileOutsideTheCatalogsFolder() {
    PaneFixture f;
    QString outside = freshFolder("outside");
    writeCatalog(outside, "victim.zar", "victim", "");
    writeCatalog(f.catalogs, "evil.zar", "../outside/victim", fileLine("n", 1));
    f.app->frame()->commands()->openAllCatalogs();
    tavlor::ItemId evil = f.disk("../outside/victim");
    QVERIFY(evil != tavlor::kNoItem);
    BoxLog boxes(true);
    f.app->frame()->commands()->deleteCatalog(evil);
    QVERIFY(QFileInfo::exists(outside + "/victim.zar"));
    QCOMPARE(boxes.boxes().size(), size_t(2));
    QVERIFY(boxes.boxes()[1].text.startsWith("Unable to delete the file "));
  }

  void openSelectedCatalogLoadsEachChosenFile() {
    PaneFixture f;
    QString elsewhere = freshFolder("elsewhere");
    std::string one = writeCatalog(elsewhere, "THREE.zar", "THREE", fileLine("t", 3));
    std::string two = writeCatalog(elsewhere, "FOUR.zar", "FOUR", fileLine("f", 4));
    QString startedIn;
    CatalogCommands::setFileChooser([&](QWidget *, const QString &folder) {
      startedIn = folder;
      return QStringList({QString::fromStdString(one), QString::fromStdString(two)});
    });
    f.app->frame()->commands()->openSelectedCatalog();
    CatalogCommands::setFileChooser({});
    QCOMPARE(startedIn, f.catalogs);
    QCOMPARE(f.names(), QStringList({"BACKUP", "FOUR", "SMALL", "THREE"}));
  }

  void aRejectedCatalogShowsItsBoxAndTheOthersStillLoad() {
    PaneFixture f;
    writeFile(f.catalogs + "/bad.zar", "not_a_catalog\r\n");
    BoxLog boxes;
    f.app->frame()->commands()->openAllCatalogs();
    QCOMPARE(boxes.boxes().size(), size_t(1));
    QCOMPARE(boxes.boxes()[0].caption, QString("Please re-catalog this disk"));
    QCOMPARE(f.names(), QStringList({"BACKUP", "SMALL"}));
  }

private:
  static void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
};

GUI_SUITE(CommandTest);
#include "command_test.moc"
