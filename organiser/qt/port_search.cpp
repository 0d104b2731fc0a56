#include "organiser/qt/port_search.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/configuration.h"
#include "app/text_table.h"
#include "link/serial_port.h"

namespace phondeck {
namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

constexpr int kTextTitle = 3133;
constexpr int kTextHeads = 3129;  // 3129..3132: device, what it is, result, handset or reason
constexpr int kTextSearch = 3126;
constexpr int kTextUse = 3127;
constexpr int kTextSearching = 3128;
constexpr int kTextNoDevices = 3104;
constexpr int kTextPortFallback = 3116;
constexpr int kTextNoneAnswered = 3142;
constexpr int kTextFound = 3143;
constexpr int kColumnResult = 2;
constexpr int kColumnDetail = 3;

}  // namespace

PortSearchPanel::PortSearchPanel(std::function<void(const std::string&, int)> use, QWidget* parent)
    : QWidget(parent), use_device_(std::move(use)) {
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(0, 0, 0, 0);
  title_ = new QLabel(this);
  list_ = new QTreeWidget(this);
  list_->setColumnCount(4);
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->header()->setStretchLastSection(true);
  auto* buttons = new QHBoxLayout;
  search_ = new QPushButton(this);
  use_ = new QPushButton(this);
  buttons->addWidget(search_);
  buttons->addWidget(use_);
  buttons->addStretch(1);
  note_ = new QLabel(this);
  note_->setWordWrap(true);
  note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  v->addWidget(title_);
  v->addWidget(list_, 1);
  v->addLayout(buttons);
  v->addWidget(note_);
  connect(search_, &QPushButton::clicked, this, [this] { search(); });
  connect(use_, &QPushButton::clicked, this, [this] { use_selected(); });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { refresh_buttons(); });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { use_selected(); });
}

PortSearchPanel::~PortSearchPanel() {
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
}

void PortSearchPanel::apply_texts() {
  title_->setText(qs(tx(kTextTitle)));
  QStringList heads;
  for (int k = 0; k < 4; ++k) heads << qs(tx(kTextHeads + k));
  list_->setHeaderLabels(heads);
  search_->setText(qs(tx(kTextSearch)));
  use_->setText(qs(tx(kTextUse)));
}

void PortSearchPanel::refresh(int configured_port) {
  configured_port_ = configured_port;
  if (searching()) return;
  list_->clear();
  results_.clear();
  for (const SerialDevice& device : serial_devices(roots_)) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(0, qs(device.path));
    std::string what = device.what();
    if (!device.by_id.empty()) what += (what.empty() ? "" : ", ") + device.by_id.front();
    item->setText(1, qs(what));
    item->setToolTip(1, qs(what));
  }
  for (int c = 0; c < 3; ++c) list_->resizeColumnToContents(c);
  std::string note;
  if (list_->topLevelItemCount() == 0) note = tx(kTextNoDevices);
  if (configured_port < 0 || configured_port > 7) {
    const SerialPort::PortNames names = SerialPort::port_for_index(configured_port);
    note += (note.empty() ? "" : "\n") + tx_with(kTextPortFallback, {std::to_string(configured_port), names.name, names.device});
  }
  note_->setText(qs(note));
  refresh_buttons();
}

void PortSearchPanel::refresh_buttons() {
  search_->setEnabled(!searching() && list_->topLevelItemCount() > 0);
  const int row = list_->currentItem() != nullptr ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
  use_->setEnabled(row >= 0 && static_cast<std::size_t>(row) < results_.size() &&
                   results_[static_cast<std::size_t>(row)].outcome == ProbeOutcome::Answered);
}

void PortSearchPanel::search() {
  if (searching() || list_->topLevelItemCount() == 0 || !make_loop_) return;
  if (worker_.joinable()) worker_.join();
  std::vector<std::string> devices;
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = list_->topLevelItem(i);
    devices.push_back(item->text(0).toStdString());
    item->setText(kColumnResult, QString());
    item->setText(kColumnDetail, QString());
  }
  results_.clear();
  cancel_ = false;
  done_ = false;
  note_->setText(qs(tx_with(kTextSearching, {devices.front()})));
  QPointer<PortSearchPanel> self(this);
  const SystemRoots roots = roots_;
  worker_ = std::thread([this, self, devices, roots, make_loop = make_loop_] {
    SystemClock clock;
    const std::unique_ptr<ProbeLoop> loop = make_loop(clock);
    ProbeOptions options;
    options.roots = roots;
    options.cancelled = [this] { return cancel_.load(); };
    options.on_start = [self](const std::string& device) {
      QMetaObject::invokeMethod(self, [self, device] {
        if (self) self->note_->setText(qs(tx_with(kTextSearching, {device})));
      }, Qt::QueuedConnection);
    };
    options.on_result = [self](const ProbeResult& result) {
      QMetaObject::invokeMethod(self, [self, result] {
        if (self) self->show_result(result);
      }, Qt::QueuedConnection);
    };
    HandsetProbe(*loop, options).run(devices);
    QMetaObject::invokeMethod(self, [self] {
      if (self) self->finished();
    }, Qt::QueuedConnection);
  });
  refresh_buttons();
}

void PortSearchPanel::show_result(const ProbeResult& result) {
  const std::size_t row = results_.size();
  results_.push_back(result);
  if (row >= static_cast<std::size_t>(list_->topLevelItemCount())) return;
  QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(row));
  item->setText(kColumnResult, qs(probe_outcome_text(result.outcome)));
  item->setText(kColumnDetail, qs(probe_detail_text(result)));
  item->setToolTip(kColumnDetail, qs(probe_detail_text(result)));
  list_->resizeColumnToContents(kColumnResult);
}

void PortSearchPanel::finished() {
  done_ = true;
  if (worker_.joinable()) worker_.join();
  if (const ProbeResult* found = first_answered(results_)) {
    note_->setText(qs(tx_with(kTextFound, {probe_detail_text(*found), found->device})));
    const int row = static_cast<int>(found - results_.data());
    list_->setCurrentItem(list_->topLevelItem(row));
  } else {
    note_->setText(qs(tx_with(kTextNoneAnswered, {std::to_string(results_.size())})));
  }
  refresh_buttons();
}

void PortSearchPanel::use_selected() {
  const int row = list_->currentItem() != nullptr ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
  if (row < 0 || static_cast<std::size_t>(row) >= results_.size()) return;
  const ProbeResult& found = results_[static_cast<std::size_t>(row)];
  if (found.outcome != ProbeOutcome::Answered) return;
  use_device_(found.device, found.media);
  std::string said;
  save_found_device(found, configuration_path(), said);
  note_->setText(qs(said));
}

}  // namespace phondeck
