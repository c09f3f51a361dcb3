#include "CatalogEjectDialog.h"

#include "PluginWindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CatalogEjectDialog::CatalogEjectDialog(const tavplugin::CatalogJob &job, const QString &prompt, Runner run,
                                       QWidget *parent)
    : QDialog(parent), job_(job), run_(std::move(run)) {
  setObjectName("catalogEjectDialog");
  setWindowTitle("Tavlor Catalog & Eject Plug-In");
  setWindowIcon(pluginIcon());
  auto *layout = new QVBoxLayout(this);
  auto *promptLabel = new QLabel(prompt, this);
  promptLabel->setObjectName("prompt");
  layout->addWidget(promptLabel);
  eject_ = new QCheckBox(tr("Eject disk"), this);
  eject_->setObjectName("eject");
  eject_->setChecked(job.eject);
  layout->addWidget(eject_);

  auto *finished = new QGroupBox(tr("When finished"), this);
  auto *radios = new QVBoxLayout(finished);
  struct Choice {
    const char *name;
    const char *text;
    int mode;
  };
  const Choice choices[] = {{"launch", "Launch catalog", tavplugin::kLaunch},
                            {"doNotLaunch", "Do not launch catalog", tavplugin::kDoNotLaunch},
                            {"askLaunch", "Ask whether catalog should be launched", tavplugin::kAskLaunch}};
  const int shown = job.launchMode == tavplugin::kLaunch || job.launchMode == tavplugin::kAskLaunch
                        ? job.launchMode
                        : tavplugin::kDoNotLaunch;
  for (const Choice &choice : choices) {
    auto *radio = new QRadioButton(tr(choice.text), finished);
    radio->setObjectName(choice.name);
    radio->setChecked(choice.mode == shown);
    const int mode = choice.mode;
    connect(radio, &QRadioButton::clicked, this, [this, mode] { job_.launchMode = mode; });
    radios->addWidget(radio);
  }
  layout->addWidget(finished);
  layout->addWidget(new QLabel(tr("Configure this dialog in Tavlor: \nView -> Options -> File Manager Plug-In"), this));

  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CatalogEjectDialog::accept() {
  job_.eject = eject_->isChecked();
  // The dialog stays up, inert, while the job runs from its OK button; the windows
  // the job opens over it (progress, boxes) must stay usable, so only the controls go.
  for (QWidget *control : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
    if (!control->isWindow()) control->setEnabled(false);
  if (run_) run_(job_);
  QDialog::accept();
}
