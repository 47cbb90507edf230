#include "app/HelpViewer.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/rtl/Exceptions.h"

namespace {

// A comfortable page to read: about 80 characters across at the default font.
constexpr int kWidth = 720;
constexpr int kHeight = 560;

}  // namespace

void ShowHelp(const std::string& fileName) {
  const QFileInfo file(QString::fromStdString(fileName));
  if (!file.isReadable()) throw rtl::EFOpenError(fileName);
  auto* window = new QWidget(nullptr, Qt::Window);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle("Quorlith 3D Help");
  window->resize(kWidth, kHeight);
  auto* layout = new QVBoxLayout(window);
  auto* row = new QHBoxLayout;
  auto* back = new QPushButton("Back");
  auto* forward = new QPushButton("Forward");
  row->addWidget(back);
  row->addWidget(forward);
  row->addStretch();
  layout->addLayout(row);
  auto* browser = new QTextBrowser;
  browser->setOpenExternalLinks(true);
  browser->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
  layout->addWidget(browser);
  back->setEnabled(false);
  forward->setEnabled(false);
  QObject::connect(back, &QPushButton::clicked, browser, &QTextBrowser::backward);
  QObject::connect(forward, &QPushButton::clicked, browser, &QTextBrowser::forward);
  QObject::connect(browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  QObject::connect(browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
  window->show();
}
