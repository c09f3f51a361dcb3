// The plug-in's windows, offscreen: CatalogEjectDialog's controls and the progress
// window's Cancel over it.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "CatalogEjectDialog.h"
#include "CatalogProgress.h"
#include "PluginWindows.h"
#include "plugin_support.h"

namespace {

QRadioButton *radio(QWidget &dialog, const char *name) {
  return dialog.findChild<QRadioButton *>(name);
}

} // namespace

TEST(PluginWindowsTest, TheDialogShowsTheJobAndRadiosSetTheLaunchModeAtOnce) {
  ensureQtApplication();
  // launchMode -> the radio shown: 1 and 2 as they are, anything else "do not launch".
  const std::pair<int, const char *> shown[] = {
      {1, "launch"}, {2, "askLaunch"}, {0, "doNotLaunch"}, {7, "doNotLaunch"}, {-1, "doNotLaunch"}};
  for (const auto &[mode, name] : shown) {
    tavplugin::CatalogJob job;
    job.launchMode = mode;
    job.eject = mode != 2;
    CatalogEjectDialog dialog(job, "Catalog disk in /media/x as X?", nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Tavlor Catalog & Eject Plug-In");
    EXPECT_TRUE(radio(dialog, name)->isChecked()) << mode;
    int checked = 0;
    for (QRadioButton *r : dialog.findChildren<QRadioButton *>())
      checked += r->isChecked();
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(dialog.findChild<QCheckBox *>("eject")->isChecked(), job.eject);
    EXPECT_EQ(dialog.findChild<QLabel *>("prompt")->text(), "Catalog disk in /media/x as X?");
  }
  tavplugin::CatalogJob job;
  job.launchMode = 7;
  CatalogEjectDialog dialog(job, "p", nullptr);
  const std::pair<const char *, int> clicks[] = {{"launch", 1}, {"askLaunch", 2}, {"doNotLaunch", 0}};
  for (const auto &[name, mode] : clicks) {
    radio(dialog, name)->click();
    EXPECT_EQ(dialog.job().launchMode, mode) << name;
  }
}

TEST(PluginWindowsTest, OkRunsTheJobWhileTheDialogIsShownAndCancelDoesNot) {
  ensureQtApplication();
  tavplugin::CatalogJob job;
  std::vector<tavplugin::CatalogJob> ran;
  bool shownWhileRunning = false;
  CatalogEjectDialog *self = nullptr;
  bool cancelWorks = false;
  CatalogEjectDialog dialog(job, "p", [&](const tavplugin::CatalogJob &chosen) {
    ran.push_back(chosen);
    shownWhileRunning = self->isVisible();
    // The progress window over the inert dialog still takes a click on Cancel.
    CatalogProgress progress("BACKUP", self);
    progress.findChild<QPushButton *>("cancel")->click();
    cancelWorks = !progress.update(1, "/media/x") && progress.isVisible();
  });
  self = &dialog;
  dialog.show();
  dialog.findChild<QCheckBox *>("eject")->click();
  radio(dialog, "askLaunch")->click();
  dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
  ASSERT_EQ(ran.size(), 1u);
  EXPECT_FALSE(ran[0].eject);
  EXPECT_EQ(ran[0].launchMode, 2);
  EXPECT_TRUE(shownWhileRunning);
  EXPECT_TRUE(cancelWorks);
  EXPECT_FALSE(dialog.isVisible());

  CatalogEjectDialog cancelled(job, "p", [&](const tavplugin::CatalogJob &chosen) { ran.push_back(chosen); });
  cancelled.show();
  cancelled.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
  EXPECT_EQ(ran.size(), 1u);
}
