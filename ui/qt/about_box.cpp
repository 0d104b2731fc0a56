#include "ui/qt/about_box.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/help.h"
#include "app/text_table.h"

namespace phondeck {
namespace {
constexpr int kTextProduct = 5;
constexpr int kTextOk = 10;
constexpr int kTextAboutMenu = 174;
}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setModal(true);
  ProductName = new QLabel(this);
  QFont big = ProductName->font();
  big.setPointSize(big.pointSize() + 6);
  big.setBold(true);
  ProductName->setFont(big);
  Version = new QLabel(this);
  WebPage = new QLabel(this);
  WebPage->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(WebPage, &QLabel::linkActivated, this,
          [](const QString& link) { open_help(link.toStdString()); });
  OKButton = new QPushButton(this);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ProductName, 0, Qt::AlignHCenter);
  layout->addWidget(Version, 0, Qt::AlignHCenter);
  layout->addWidget(WebPage, 0, Qt::AlignHCenter);
  layout->addSpacing(8);
  layout->addWidget(OKButton, 0, Qt::AlignHCenter);
  apply_texts();
}

void TAboutBox::apply_texts() {
  setWindowTitle(QString::fromStdString(window_title(tx(kTextAboutMenu))));
  ProductName->setText(QString::fromStdString(tx(kTextProduct)));
  Version->setText(QString::fromLatin1(kVersion));
  WebPage->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(QString::fromLatin1(kProductPage)));
  OKButton->setText(QString::fromStdString(tx(kTextOk)));
}

}  // namespace phondeck
