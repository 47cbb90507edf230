#pragma once

// The about box of the settings dialog: the product, its version, and a link to the product's pages.

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <string>

class TAboutBox : public QDialog {
 public:
  // The product has no web site: its page is the manual in the data folder.
  static constexpr const char* kProductPage = "Quorlith 3D.html";

  TAboutBox(QWidget* parent, const std::string& dataFolder);

  // Fills the texts and shows the box modally.
  void ShowAbout(const QString& version, const QString& comment);
  void Label1Click();

  QLabel* ProductName;
  QLabel* LabelVersion;
  QLabel* LabelComments;
  QLabel* Label1;
  QPushButton* OKButton;

 private:
  std::string FDataFolder;
};
