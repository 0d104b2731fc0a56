#include "ui/qt/connect_feedback.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/text_table.h"
#include "link/operation_engine.h"

namespace phondeck {
namespace {

constexpr int kTextCancel = 11;
constexpr int kTextSearch = 3212;
constexpr int kTextSearchTells = 3213;
constexpr int kTextConnectingTitle = 3218;

QString qs(const std::string& text) { return QString::fromStdString(text); }

// The box stays beside the window and Escape is its Cancel.
class ProgressBox final : public QDialog {
 public:
  ProgressBox(QWidget* parent, std::function<void()> cancel) : QDialog(parent), cancel_(std::move(cancel)) {}
  void reject() override {
    if (cancel_) cancel_();
    QDialog::reject();
  }

 private:
  std::function<void()> cancel_;
};

}  // namespace

ConnectFeedback::ConnectFeedback(OperationEngine& engine, QWidget* window)
    : engine_(engine), window_(window) {
  engine_.set_connect_listener(this);
}

ConnectFeedback::~ConnectFeedback() {
  if (engine_.connect_listener() == this) engine_.set_connect_listener(nullptr);
}

void ConnectFeedback::build_box() {
  auto* box = new ProgressBox(window_, [this] { engine_.cancel_connect(); });
  box->setWindowTitle(qs(window_title(tx(kTextConnectingTitle))));
  box->setModal(false);
  auto* layout = new QVBoxLayout(box);
  label_ = new QLabel(box);
  label_->setMinimumWidth(label_->fontMetrics().horizontalAdvance(QString(40, QChar('m'))) / 2);
  layout->addWidget(label_);
  auto* row = new QHBoxLayout;
  row->addStretch();
  cancel_ = new QPushButton(qs(tx(kTextCancel)), box);
  row->addWidget(cancel_);
  layout->addLayout(row);
  QObject::connect(cancel_, &QPushButton::clicked, box, [box] { box->reject(); });
  box_ = box;
}

void ConnectFeedback::connect_progress(int, int, const std::string& text) {
  if (box_ == nullptr) build_box();
  label_->setText(qs(text));
  cancel_->setText(qs(tx(kTextCancel)));
  if (!box_->isVisible()) box_->show();
}

void ConnectFeedback::connect_ended(const ConnectOutcome& outcome) {
  if (box_ != nullptr) box_->hide();
  if (outcome.end != ConnectEnd::NoAnswer) return;
  if (no_answer_) no_answer_->deleteLater();
  auto* box = new QMessageBox(QMessageBox::Warning, qs(window_title(tx(kTextConnectingTitle))),
                              qs(no_answer_text(outcome) + "\n\n" + tx(kTextSearchTells)), QMessageBox::Ok, window_);
  box->setAttribute(Qt::WA_DeleteOnClose);
  QPushButton* search = box->addButton(qs(tx(kTextSearch)), QMessageBox::ActionRole);
  QObject::connect(search, &QPushButton::clicked, this, [this] {
    if (search_) search_();
  });
  no_answer_ = box;
  search_button_ = search;
  // Not exec(): the engine that tells this goes on at once, and the box
  // waits for the user beside the window.
  box->open();
}

}  // namespace phondeck
