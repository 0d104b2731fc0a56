#pragma once
// The About box TAboutBox: product name, version, the product's web page and OK.
#include <QDialog>

class QLabel;
class QPushButton;

namespace phondeck {

inline constexpr const char* kVersion = "v3.3";
// The web page the About box links to.
inline constexpr const char* kProductPage = "http://phondeck.example.org/";

// TAboutBox: the About box.
class TAboutBox final : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);
  void apply_texts();

 private:
  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  QLabel* WebPage = nullptr;
  QPushButton* OKButton = nullptr;
};

}  // namespace phondeck
