#include "organiser/qt/calendar_windows.h"

#include <QAction>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDropEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTextCharFormat>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/text_table.h"
#include "session/handset_session.h"
#include "session/qt/entry_mime.h"
#include "session/qt/dialog_buttons.h"
#include "session/qt/save_dialog.h"

namespace phondeck {
namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }
QString cleaned(int id) { return qs(window_title(tx(id))); }

constexpr int kNodeRole = Qt::UserRole + 1;
constexpr int kTextCalendar = 149;
constexpr int kTextRead = 138;
constexpr int kTextWrite = 139;
constexpr int kTextNew = 1300;
constexpr int kTextUpdate = 1301;
constexpr int kTextBack = 1302;
constexpr int kTextImportCalendar = 1350;
constexpr int kTextExportCalendar = 1351;
constexpr int kTextReadTime = 1312;

CalendarDate date_of(const QDate& d) { return {d.year(), d.month(), d.day()}; }

// The event's icon by its type (1 Reminder, 2 Call, 3 Meeting, 4 Birthday,
// shown as type + 1), with a bell in the corner when it has an alarm.
QIcon event_icon(int icon, bool alarm) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 60), 1));
  switch (icon - 1) {
    case 1:  // a note with lines
      p.setBrush(QColor(255, 230, 110));
      p.drawRect(QRectF(2.5, 1.5, 10, 12));
      for (double y = 4.5; y < 12; y += 2.5) p.drawLine(QPointF(4.5, y), QPointF(10.5, y));
      break;
    case 2: {  // a handset receiver
      QPainterPath receiver;
      receiver.moveTo(3, 4);
      receiver.cubicTo(3, 11, 7, 14, 12, 13);
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(QColor(30, 140, 60), 3.5, Qt::SolidLine, Qt::RoundCap));
      p.drawPath(receiver);
      break;
    }
    case 3:  // a clock face
      p.setBrush(QColor(120, 170, 240));
      p.drawEllipse(QRectF(1.5, 1.5, 12, 12));
      p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(7.5, 7.5), QPointF(7.5, 3.5));
      p.drawLine(QPointF(7.5, 7.5), QPointF(10.5, 9));
      break;
    case 4:  // a cake with a candle
      p.setBrush(QColor(245, 150, 190));
      p.drawRect(QRectF(2.5, 8.5, 11, 5));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(7, 4.5, 2, 4));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(255, 150, 0));
      p.drawEllipse(QRectF(6.8, 1, 2.4, 3));
      break;
    default:
      break;
  }
  if (alarm) {
    QPainterPath bell;
    bell.moveTo(10, 15);
    bell.lineTo(10.5, 11);
    bell.cubicTo(10.5, 8.5, 14.5, 8.5, 14.5, 11);
    bell.lineTo(15, 15);
    bell.closeSubpath();
    p.setPen(QPen(QColor(90, 0, 0), 0.8));
    p.setBrush(QColor(220, 40, 40));
    p.drawPath(bell);
  }
  return QIcon(pixmap);
}

}  // namespace

// ------------------------------------------------------------------ TForm14

TForm14::TForm14(EventEditor& logic, TForm13& calendar, PhoneBook& book)
    : QDialog(&calendar), logic_(logic), calendar_(calendar), book_(book) {
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  auto* event_box = new QGroupBox(this);
  auto* alarm_box = new QGroupBox(this);
  event_box_ = event_box;
  alarm_box_ = alarm_box;
  auto* eg = new QGridLayout(event_box);
  auto* ag = new QGridLayout(alarm_box);
  for (int k = 0; k < 5; ++k) {
    for (int side = 0; side < 2; ++side) {
      QGridLayout* g = side == 0 ? eg : ag;
      auto* label = new QLabel(this);
      auto* field = new QLineEdit(this);
      field->installEventFilter(this);
      field_labels_[static_cast<std::size_t>(side * 5 + k)] = label;
      (side == 0 ? event_ : alarm_)[static_cast<std::size_t>(k)] = field;
      g->addWidget(label, 0, k);
      g->addWidget(field, 1, k);
    }
  }
  type_group_ = new QButtonGroup(this);
  auto* types = new QHBoxLayout;
  for (int t = 0; t < 4; ++t) {
    types_[static_cast<std::size_t>(t)] = new QRadioButton(this);
    type_group_->addButton(types_[static_cast<std::size_t>(t)], t);
    types->addWidget(types_[static_cast<std::size_t>(t)]);
  }
  eg->addLayout(types, 2, 0, 1, 5);
  text_label_ = new QLabel(this);
  text_ = new QLineEdit(this);
  text_->installEventFilter(this);
  bytes_left_ = new QLabel(this);
  eg->addWidget(text_label_, 3, 0);
  eg->addWidget(text_, 3, 1, 1, 3);
  eg->addWidget(bytes_left_, 3, 4);
  // A Call note's text beside its number.
  call_text_label_ = new QLabel(this);
  call_text_ = new QLineEdit(this);
  call_text_->installEventFilter(this);
  eg->addWidget(call_text_label_, 4, 0);
  eg->addWidget(call_text_, 4, 1, 1, 3);
  enable_label_ = new QLabel(this);
  enable_ = new QComboBox(this);
  before_label_ = new QLabel(this);
  before_ = new QComboBox(this);
  ag->addWidget(enable_label_, 2, 0);
  ag->addWidget(enable_, 2, 1);
  ag->addWidget(before_label_, 2, 2);
  ag->addWidget(before_, 2, 3, 1, 2);
  layout->addWidget(event_box);
  layout->addWidget(alarm_box);
  add_ok_cancel_row(this, layout, ok_, cancel_);
  connect(type_group_, &QButtonGroup::idClicked, this, [this](int id) {
    logic_.set_type(id);
    load();
  });
  connect(enable_, &QComboBox::activated, this, [this](int index) {
    take_fields();
    logic_.set_alarm_enabled(index == 1);
    load();
  });
  connect(before_, &QComboBox::activated, this, [this](int index) {
    take_fields();
    logic_.set_before(static_cast<AlarmBefore>(index));
    load();
  });
  connect(text_, &QLineEdit::textEdited, this, [this](const QString& text) {
    logic_.text() = text.toStdString();
    bytes_left_->setText(QString::number(logic_.text_bytes_left()));
  });
  connect(call_text_, &QLineEdit::textEdited, this, [this](const QString& text) {
    logic_.call_text() = text.toStdString();
    bytes_left_->setText(QString::number(logic_.text_bytes_left()));
  });
  apply_texts();
}

void TForm14::apply_texts() {
  setWindowTitle(cleaned(1400));
  static_cast<QGroupBox*>(event_box_)->setTitle(cleaned(1400));
  static_cast<QGroupBox*>(alarm_box_)->setTitle(cleaned(1401));
  for (int k = 0; k < 10; ++k) field_labels_[static_cast<std::size_t>(k)]->setText(cleaned(1410 + k % 5));
  for (int t = 0; t < 4; ++t) types_[static_cast<std::size_t>(t)]->setText(qs(tx(1421 + t)));
  enable_label_->setText(cleaned(1323));
  before_label_->setText(cleaned(1440));
  enable_->clear();
  enable_->addItems({cleaned(13), cleaned(12)});
  before_->clear();
  for (int b = 0; b < 4; ++b) before_->addItem(qs(tx(1441 + b)));
  ok_->setText(qs(tx(10)));
  cancel_->setText(qs(tx(11)));
  load();
}

void TForm14::load() {
  loading_ = true;
  for (int k = 0; k < 5; ++k) {
    event_[static_cast<std::size_t>(k)]->setText(qs(logic_.event_fields()[static_cast<std::size_t>(k)]));
    alarm_[static_cast<std::size_t>(k)]->setText(qs(logic_.alarm_fields()[static_cast<std::size_t>(k)]));
  }
  types_[static_cast<std::size_t>(logic_.type_index())]->setChecked(true);
  text_label_->setText(cleaned(logic_.text_label_id()));
  text_->setText(qs(logic_.text()));
  call_text_label_->setText(cleaned(logic_.call_text_label_id()));
  call_text_->setText(qs(logic_.call_text()));
  call_text_label_->setVisible(logic_.call_text_shown());
  call_text_->setVisible(logic_.call_text_shown());
  bytes_left_->setText(QString::number(logic_.text_bytes_left()));
  enable_->setCurrentIndex(logic_.alarm_enabled() ? 1 : 0);
  before_->setCurrentIndex(static_cast<int>(logic_.before()));
  refresh_enabled();
  loading_ = false;
}

void TForm14::refresh_enabled() {
  for (QLineEdit* f : alarm_) f->setEnabled(logic_.alarm_fields_enabled());
  before_->setEnabled(logic_.alarm_fields_enabled());
}

void TForm14::take_fields() {
  for (int k = 0; k < 5; ++k) {
    logic_.event_fields()[static_cast<std::size_t>(k)] = event_[static_cast<std::size_t>(k)]->text().toStdString();
    logic_.alarm_fields()[static_cast<std::size_t>(k)] = alarm_[static_cast<std::size_t>(k)]->text().toStdString();
  }
  logic_.text() = text_->text().toStdString();
  logic_.call_text() = call_text_->text().toStdString();
}

bool TForm14::eventFilter(QObject* watched, QEvent* event) {
  // Phone-book entries dragged from the main window's lists.
  if ((watched == text_ || watched == call_text_) && (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
                           event->type() == QEvent::Drop)) {
    auto* drop = static_cast<QDropEvent*>(event);
    const std::optional<DragSource> source = drop->mimeData() ? entries_source(*drop->mimeData()) : std::nullopt;
    if (!source) return QDialog::eventFilter(watched, event);
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
      const PhoneBookList& list = *source == DragSource::RightPane ? book_.right() : book_.left();
      if (const auto first = list.first_selected()) {
        take_fields();
        logic_.drop_entry(list.entry(*first));
        load();
      }
    }
    return true;
  }
  if (event->type() == QEvent::FocusOut && !loading_) {
    for (int k = 0; k < 5; ++k) {
      const bool is_event = watched == event_[static_cast<std::size_t>(k)];
      const bool is_alarm = watched == alarm_[static_cast<std::size_t>(k)];
      if (!is_event && !is_alarm) continue;
      take_fields();
      if (is_event) logic_.leave_event_field(k);
      if (is_alarm) logic_.leave_alarm_field(k);
      load();
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TForm14::accept() {
  take_fields();
  for (int k = 0; k < 5; ++k) {
    logic_.leave_event_field(k);
    logic_.leave_alarm_field(k);
  }
  logic_.ok();
  calendar_.refresh();
  hide();
  setResult(QDialog::Accepted);
}

// ------------------------------------------------------------------ TForm13

TForm13::TForm13(HandsetSession& session, Prompt& prompt, std::function<void()> show_main, QWidget* parent)
    : QMainWindow(parent), session_(session), prompt_(prompt), show_main_(std::move(show_main)) {
  const QDate today = QDate::currentDate();
  logic_ = std::make_unique<CalendarWindow>(session.organiser().calendar(), session.engine(), prompt,
                                            date_of(today));
  build();
  editor_ = new TForm14(logic_->editor(), *this, session.book());
  session.organiser().calendar().calendar().set_refresh([this] { refresh(); });
  session.organiser().calendar().clock().set_refresh([this] {
    logic_->alarm_read();
    alarm_to_fields();
    handset_time_->setText(qs(logic_->handset_time_text()));
  });
  apply_texts();
  refresh();
  take_default_size();
}

TForm13::~TForm13() {
  session_.organiser().calendar().calendar().set_refresh({});
  session_.organiser().calendar().clock().set_refresh({});
}

void TForm13::build() {
  tool_bar_ = addToolBar(QString());
  tool_bar_->setMovable(false);
  const std::pair<CalendarCommand, bool> buttons[] = {
      {CalendarCommand::New, true},  {CalendarCommand::Import, true}, {CalendarCommand::Export, false},
      {CalendarCommand::Read, true}, {CalendarCommand::Update, true}, {CalendarCommand::Write, true},
      {CalendarCommand::Back, false}};
  for (const auto& [command, separator_after] : buttons) {
    QAction* a = tool_bar_->addAction(QString());
    connect(a, &QAction::triggered, this, [this, c = command] { run(c); });
    actions_[command] = a;
    if (separator_after) tool_bar_->addSeparator();
  }
  actions_[CalendarCommand::Update]->setEnabled(false);

  auto* client = new QWidget(this);
  auto* row = new QHBoxLayout(client);
  auto* left = new QVBoxLayout;
  date_ = new QDateEdit(this);
  date_->setCalendarPopup(false);
  show_all_ = new QPushButton(this);
  month_ = new QCalendarWidget(this);
  month_->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
  left->addWidget(date_);
  left->addWidget(show_all_);
  left->addWidget(month_);

  auto* time_group = new QGroupBox(this);
  time_group_ = time_group;
  // The handset's clock on a line of its own, so that reading it leaves the
  // panel's width alone.
  auto* tg = new QGridLayout(time_group);
  write_time_ = new QPushButton(this);
  read_time_ = new QPushButton(this);
  handset_time_ = new QLabel(this);
  tg->addWidget(write_time_, 0, 0);
  tg->addWidget(read_time_, 0, 1);
  tg->addWidget(handset_time_, 1, 0, 1, 2);
  left->addWidget(time_group);

  auto* alarm_group = new QGroupBox(this);
  alarm_group_ = alarm_group;
  auto* ag = new QGridLayout(alarm_group);
  hour_label_ = new QLabel(this);
  minute_label_ = new QLabel(this);
  hour_ = new QLineEdit(this);
  minute_ = new QLineEdit(this);
  enable_label_ = new QLabel(this);
  enable_yes_ = new QRadioButton(this);
  enable_no_ = new QRadioButton(this);
  alarm_read_ = new QPushButton(this);
  alarm_write_ = new QPushButton(this);
  ag->addWidget(hour_label_, 0, 0);
  ag->addWidget(hour_, 0, 1);
  ag->addWidget(minute_label_, 1, 0);
  ag->addWidget(minute_, 1, 1);
  ag->addWidget(enable_label_, 0, 2);
  ag->addWidget(enable_no_, 1, 2);
  ag->addWidget(enable_yes_, 1, 3);
  ag->addWidget(alarm_read_, 2, 0, 1, 2);
  ag->addWidget(alarm_write_, 2, 2, 1, 2);
  left->addWidget(alarm_group);
  left->addStretch();
  row->addLayout(left);

  tree_ = new QTreeWidget(this);
  tree_->setHeaderHidden(true);
  // Labels are never cut short: a longer one scrolls.
  tree_->header()->setStretchLastSection(false);
  tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  tree_->setDragEnabled(true);
  tree_->setAcceptDrops(true);
  tree_->setDragDropMode(QAbstractItemView::DragDrop);
  tree_->viewport()->installEventFilter(this);
  row->addWidget(tree_, 1);
  setCentralWidget(client);
  hour_->installEventFilter(this);
  minute_->installEventFilter(this);

  connect(date_, &QDateEdit::dateChanged, this, [this](const QDate& d) { select_date(d); });
  connect(month_, &QCalendarWidget::clicked, this, [this](const QDate& d) { select_date(d); });
  connect(month_, &QCalendarWidget::currentPageChanged, this, [this](int, int) { refresh(); });
  connect(show_all_, &QPushButton::clicked, this, [this] {
    logic_->show_all();
    refresh();
  });
  connect(tree_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item, int) { open_editor(node_id(item)); });
  connect(tree_, &QTreeWidget::customContextMenuRequested, this, &TForm13::show_context_menu);
  connect(write_time_, &QPushButton::clicked, this, [this] { logic_->write_time(); });
  connect(read_time_, &QPushButton::clicked, this, [this] { logic_->read_time(); });
  connect(alarm_read_, &QPushButton::clicked, this, [this] { logic_->read_alarm(); });
  connect(alarm_write_, &QPushButton::clicked, this, [this] {
    logic_->alarm_hour() = hour_->text().toStdString();
    logic_->alarm_minute() = minute_->text().toStdString();
    logic_->set_alarm_enabled(enable_yes_->isChecked());
    logic_->write_alarm();
    alarm_to_fields();
  });
  connect(enable_yes_, &QRadioButton::toggled, this, [this](bool on) {
    logic_->set_alarm_enabled(on);
    hour_->setEnabled(on);
    minute_->setEnabled(on);
  });
  alarm_to_fields();
}

void TForm13::take_default_size() {
  // Room in the list for an hour, a time and a subject of some 40 characters.
  QLayout* row = centralWidget()->layout();
  const QMargins margins = row->contentsMargins();
  const int left = row->itemAt(0)->sizeHint().width();
  const int list = fontMetrics().averageCharWidth() * 48 + 2 * tree_->frameWidth();
  resize(margins.left() + left + row->spacing() + list + margins.right(), sizeHint().height());
}

void TForm13::apply_texts() {
  setWindowTitle(cleaned(kTextCalendar));
  const std::pair<CalendarCommand, int> hints[] = {
      {CalendarCommand::New, kTextNew},     {CalendarCommand::Import, kTextImportCalendar},
      {CalendarCommand::Export, kTextExportCalendar}, {CalendarCommand::Read, kTextRead},
      {CalendarCommand::Update, kTextUpdate}, {CalendarCommand::Write, kTextWrite},
      {CalendarCommand::Back, kTextBack}};
  for (const auto& [command, id] : hints) {
    actions_[command]->setText(cleaned(id));
    actions_[command]->setToolTip(cleaned(id));
  }
  show_all_->setText(qs(tx(1330)));
  static_cast<QGroupBox*>(time_group_)->setTitle(qs(tx(1310)));
  write_time_->setText(qs(tx(1311)));
  read_time_->setText(qs(tx(kTextReadTime)));
  static_cast<QGroupBox*>(alarm_group_)->setTitle(qs(tx(1320)));
  hour_label_->setText(qs(tx(1321)));
  minute_label_->setText(qs(tx(1322)));
  enable_label_->setText(qs(tx(1323)));
  enable_yes_->setText(cleaned(13 - 1));
  enable_no_->setText(cleaned(13));
  alarm_read_->setText(qs(tx(1324)));
  alarm_write_->setText(qs(tx(1325)));
  editor_->apply_texts();
  refresh();
}

void TForm13::alarm_to_fields() {
  hour_->setText(qs(logic_->alarm_hour()));
  minute_->setText(qs(logic_->alarm_minute()));
  (logic_->alarm_enabled() ? enable_yes_ : enable_no_)->setChecked(true);
  hour_->setEnabled(logic_->alarm_enabled());
  minute_->setEnabled(logic_->alarm_enabled());
}

void TForm13::add_nodes(QTreeWidgetItem* parent, const CalendarNode& node) {
  for (const CalendarNode& child : node.children) {
    auto* item = new QTreeWidgetItem(parent, QStringList{qs(child.label)});
    item->setData(0, kNodeRole, child.id);
    if (child.kind == CalendarNode::Kind::Event) {
      item->setIcon(0, event_icon(child.icon, child.alarm));
      if (child.alarm) item->setToolTip(0, cleaned(1401));
    }
    add_nodes(item, child);
  }
}

void TForm13::refresh() {
  logic_->rebuild();
  tree_->clear();
  const CalendarNode& root = logic_->tree();
  auto* top = new QTreeWidgetItem(tree_, QStringList{qs(root.label)});
  top->setData(0, kNodeRole, root.id);
  add_nodes(top, root);
  tree_->expandAll();
  // Bold days of the shown month and year (birthdays of any year).
  month_->setDateTextFormat(QDate(), QTextCharFormat());
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  const int year = month_->yearShown();
  const int month = month_->monthShown();
  for (int day : logic_->bold_days(year, month)) {
    const QDate d(year, month, day);
    if (d.isValid()) month_->setDateTextFormat(d, bold);
  }
  handset_time_->setText(qs(logic_->handset_time_text()));
}

void TForm13::select_date(const QDate& date) {
  if (!date.isValid()) return;
  // The picker and the month calendar follow each other, also on the first
  // showing, when the view already has the date.
  if (date_->date() != date) date_->setDate(date);
  if (month_->selectedDate() != date) month_->setSelectedDate(date);
  const CalendarDate d = date_of(date);
  if (d == logic_->selected() && !logic_->all_events()) return;
  logic_->show_day(d);
  refresh();
}

void TForm13::show_today() {
  select_date(QDate::currentDate());
  logic_->show_day(date_of(QDate::currentDate()));
  refresh();
  show();
  raise();
  activateWindow();
}

int TForm13::node_id(QTreeWidgetItem* item) const { return item ? item->data(0, kNodeRole).toInt() : -1; }

void TForm13::open_editor(int id) {
  if (!logic_->open_editor(id)) return;
  editor_->load();
  editor_->show();
  editor_->raise();
}

void TForm13::show_context_menu(const QPoint& pos) {
  const int id = node_id(tree_->itemAt(pos));
  if (id < 0) return;
  QMenu menu(this);
  QAction* create = menu.addAction(cleaned(kTextNew));
  create->setEnabled(logic_->can_create_on(id));
  QAction* remove = menu.addAction(cleaned(113));
  QAction* chosen = menu.exec(tree_->viewport()->mapToGlobal(pos));
  if (chosen == create) open_editor(id);
  if (chosen == remove) {
    logic_->delete_node(id);
    refresh();
  }
}

void TForm13::run(CalendarCommand command) {
  switch (command) {
    case CalendarCommand::Back:
      if (show_main_) show_main_();
      return;
    case CalendarCommand::Export: {
      const QString path = save_file_name(this, cleaned(kTextExportCalendar), QStringLiteral("iCalendar (*.ics)"));
      std::string report;
      if (!path.isEmpty() && logic_->export_file(path.toStdString(), &report)) {
        statusBar()->showMessage(QString::fromStdString(report));
      }
      return;
    }
    case CalendarCommand::Import: {
      const QString path = QFileDialog::getOpenFileName(this, cleaned(kTextImportCalendar), QString(), "iCalendar (*.ics)");
      if (!path.isEmpty()) logic_->import_file(path.toStdString());
      refresh();
      return;
    }
    default:
      logic_->run(command);
      refresh();
      return;
  }
}

void TForm13::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    return;
  }
  if (event->modifiers() & Qt::ControlModifier && event->key() >= Qt::Key_0 && event->key() <= Qt::Key_9) {
    if (const auto command = calendar_command_for_digit(event->key() - Qt::Key_0)) {
      run(*command);
      return;
    }
  }
  QMainWindow::keyPressEvent(event);
}

bool TForm13::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == hour_ || watched == minute_) && event->type() == QEvent::FocusOut) {
    logic_->alarm_hour() = hour_->text().toStdString();
    logic_->alarm_minute() = minute_->text().toStdString();
    logic_->leave_alarm_fields();
    hour_->setText(qs(logic_->alarm_hour()));
    minute_->setText(qs(logic_->alarm_minute()));
  }
  if (watched == tree_->viewport()) {
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* drag = static_cast<QDropEvent*>(event);
      if (drag->source() == tree_ && !logic_->all_events()) {
        drag->acceptProposedAction();
        return true;
      }
    } else if (event->type() == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      const int from = node_id(tree_->currentItem());
      const int to = node_id(tree_->itemAt(drop->position().toPoint()));
      drop->ignore();
      if (drop->source() == tree_ && logic_->drop(from, to)) refresh();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace phondeck
