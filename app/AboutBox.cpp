#include "app/AboutBox.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QUrl>

#include "app/FQuorlith.h"

namespace {

// The box's client area at a device pixel ratio of 1.
constexpr int kWidth = 414;
constexpr int kHeight = 279;
constexpr int kLogoSide = 96;

QLabel* Wrapped(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  return label;
}

QLabel* Bold(const QString& text) {
  auto* label = new QLabel(text);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent, const std::string& dataFolder)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), FDataFolder(dataFolder) {
  setFixedSize(kWidth, kHeight);
  auto* grid = new QGridLayout(this);
  auto* logo = new QLabel;
  logo->setFrameShape(QFrame::Box);
  logo->setFixedSize(kLogoSide, kLogoSide);
  logo->setScaledContents(true);
  logo->setPixmap(QPixmap(QString::fromStdString(dataFolder + TFormSaver::kPictureFile)));
  grid->addWidget(logo, 0, 0, 4, 1, Qt::AlignTop);
  ProductName = Bold({});
  LabelVersion = Bold({});
  LabelComments = Wrapped({});
  grid->addWidget(ProductName, 0, 1);
  grid->addWidget(LabelVersion, 1, 1);
  grid->addWidget(Wrapped("Made by Talven Software for Linux desktops."), 2, 1);
  grid->addWidget(LabelComments, 3, 1);
  auto* line = new QFrame;
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  grid->addWidget(line, 4, 0, 1, 2);
  grid->addWidget(Wrapped("Copyright \u00A9 Talven Software. All rights reserved."), 5, 0, 1, 2);
  grid->addWidget(Wrapped("A screen saver: it reads your settings and changes nothing else."), 6, 0, 1, 2);
  Label1 = new QLabel("<a href=\"#\">The Quorlith 3D manual and pages</a>");
  Label1->setCursor(Qt::PointingHandCursor);
  connect(Label1, &QLabel::linkActivated, this, [this] { Label1Click(); });
  grid->addWidget(Label1, 7, 0, 1, 2);
  OKButton = new QPushButton("OK");
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  grid->addWidget(OKButton, 8, 0, 1, 2, Qt::AlignHCenter);
}

void TAboutBox::ShowAbout(const QString& version, const QString& comment) {
  const QString title = QApplication::applicationDisplayName();
  setWindowTitle("About " + title + " Screen Saver");
  ProductName->setText(title + " Screen Saver");
  LabelVersion->setText("Version " + version);
  LabelComments->setText(comment);
  exec();
}

void TAboutBox::Label1Click() {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(FDataFolder + kProductPage)));
}
