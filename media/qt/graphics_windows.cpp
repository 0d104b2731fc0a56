#include "media/qt/graphics_windows.h"

#include <QAction>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

#include "app/prompt.h"
#include "app/text_table.h"
#include "media/qt/mono_images.h"
#include "media/qt/pixel_grid_panel.h"
#include "organiser/graphics_sms.h"
#include "session/handset_session.h"
#include "session/qt/dialog_buttons.h"

namespace phondeck {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }
QString cleaned(int id) { return qs(window_title(tx(id))); }

constexpr int kTextGroup = 2100;
constexpr int kTextNotReadYet = 3570;
constexpr int kTextPictureSaved = 3706;
constexpr int kTextGroupGraphics = 151;
constexpr int kTextStartupGraphic = 152;

// The platform's dialog filter from "Name (*.x)|*.x|..." pairs.
QString dialog_filter(const std::string& filter) {
  const QStringList parts = qs(filter).split(QLatin1Char('|'));
  QStringList out;
  for (qsizetype k = 0; k + 1 < parts.size(); k += 2) out << parts[k];
  return out.join(QStringLiteral(";;"));
}

QStyle::StandardPixmap tool_pixmap(GraphicsCommand command) {
  switch (command) {
    case GraphicsCommand::New: return QStyle::SP_FileIcon;
    case GraphicsCommand::Open: return QStyle::SP_DialogOpenButton;
    case GraphicsCommand::Save: return QStyle::SP_DialogSaveButton;
    case GraphicsCommand::ReadGroup:
    case GraphicsCommand::ReadLogo:
    case GraphicsCommand::ReadStartup: return QStyle::SP_ArrowDown;
    case GraphicsCommand::WriteGroup:
    case GraphicsCommand::WriteIntoGroup:
    case GraphicsCommand::WriteLogo:
    case GraphicsCommand::WriteStartup: return QStyle::SP_ArrowUp;
    case GraphicsCommand::SendGroup:
    case GraphicsCommand::SendLogo: return QStyle::SP_CommandLink;
    case GraphicsCommand::ResetPhone: return QStyle::SP_BrowserReload;
    case GraphicsCommand::Back: return QStyle::SP_ArrowBack;
  }
  return QStyle::SP_FileIcon;
}

// Write into Group: the style's upward arrow of the writes beside it, with
// two group figures at its right, so that it is told from Write Group
// Graphic at a glance.
QIcon write_into_group_icon(QStyle* style) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.drawPixmap(QRect(-3, 0, 16, 16), style->standardIcon(QStyle::SP_ArrowUp).pixmap(16, 16));
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QColor(0x20, 0x20, 0x20));
  p.setBrush(QColor(0x1C, 0x4E, 0xA8));
  p.drawEllipse(QRectF(10.5, 3.5, 3, 3));
  p.drawChord(QRectF(9, 7, 6, 7), 0, 180 * 16);
  p.drawEllipse(QRectF(12.5, 8.5, 3, 3));
  p.drawChord(QRectF(11, 12, 6, 7), 0, 180 * 16);
  return QIcon(pixmap);
}

// A separator after these buttons, as the tool bars group them.
bool separator_after(GraphicsCommand command) {
  switch (command) {
    case GraphicsCommand::Save:
    case GraphicsCommand::SendGroup:
    case GraphicsCommand::SendLogo:
    case GraphicsCommand::WriteStartup:
    case GraphicsCommand::ResetPhone: return true;
    default: return false;
  }
}

}  // namespace

// ------------------------------------------------------------ TOKHelpRightDlg5

TOKHelpRightDlg5::TOKHelpRightDlg5(QWidget* parent) : QDialog(parent) {
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  instruction_ = new QLabel(this);
  instruction_->setWordWrap(true);
  layout->addWidget(instruction_);
  auto* rows = new QGridLayout;
  rows->setHorizontalSpacing(12);
  rows->setVerticalSpacing(8);
  for (int k = 0; k < kCallerGroups; ++k) {
    auto* logo = new MonoView(kLogoWidth, kLogoHeight, this);
    logo->installEventFilter(this);
    logo->setCursor(Qt::PointingHandCursor);
    auto* name = new QLineEdit(this);
    name->setReadOnly(true);
    name->setEnabled(false);
    logos_[static_cast<std::size_t>(k)] = logo;
    names_[static_cast<std::size_t>(k)] = name;
    rows->addWidget(logo, k, 0);
    rows->addWidget(name, k, 1);
  }
  layout->addLayout(rows);
  add_ok_cancel_row(this, layout, ok_, cancel_);
  apply_texts();
}

void TOKHelpRightDlg5::apply_texts() {
  ok_->setText(qs(tx(10)));
  cancel_->setText(qs(tx(11)));
  set_choice(choice_, group_);
}

void TOKHelpRightDlg5::set_choice(GroupChoice choice, int group) {
  choice_ = choice;
  group_ = group;
  const std::string name = names_[static_cast<std::size_t>(std::clamp(group, 0, kCallerGroups - 1))]->text().toStdString();
  const std::string title = group_choice_title(choice, group, name);
  setWindowTitle(title.empty() ? cleaned(kTextGroup) : qs(title));
  instruction_->setText(qs(group_choice_instruction(choice, group, name)));
  // The read back only shows: there is nothing to choose or cancel.
  cancel_->setVisible(choice != GroupChoice::ReadBack);
}

void TOKHelpRightDlg5::fill(const std::array<std::string, kCallerGroups>& names,
                            const std::array<MonoBitmap, kCallerGroups>& logos,
                            const std::array<bool, kCallerGroups>& read) {
  for (int k = 0; k < kCallerGroups; ++k) {
    const auto i = static_cast<std::size_t>(k);
    names_[i]->setText(qs(names[i]));
    // A logo not read yet is not shown as if it were the group's.
    logos_[i]->image() = imageOf(read[i] ? logos[i] : MonoBitmap(kLogoWidth, kLogoHeight), kGridBackground);
    logos_[i]->setToolTip(read[i] ? QString() : qs(tx(kTextNotReadYet)));
    logos_[i]->update();
  }
}

void TOKHelpRightDlg5::select(int index) {
  if (index < 0 || index >= kCallerGroups) return;
  selected_ = index;
  update();
}

bool TOKHelpRightDlg5::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress)
    for (int k = 0; k < kCallerGroups; ++k)
      if (watched == logos_[static_cast<std::size_t>(k)]) select(k);
  return QDialog::eventFilter(watched, event);
}

void TOKHelpRightDlg5::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter p(this);
  const QRect r = logos_[static_cast<std::size_t>(selected_)]->geometry();
  p.setPen(QPen(QColor(255, 0, 0), 0));
  p.drawRect(r.x() - 2, r.y() - 2, r.width() + 3, r.height() + 3);
}

// ------------------------------------------------------------ GraphicsWindowBase

GraphicsWindowBase::GraphicsWindowBase(bool group, Prompt& prompt, QWidget* parent)
    : QMainWindow(parent), prompt_(prompt), group_(group) {}

void GraphicsWindowBase::set_up(GraphicsEditor& editor) {
  editor_ = &editor;
  installQtPictureDecoder();
  editor.setPngEncoder(pngBytes);
  QToolBar* bar = addToolBar(QString());
  bar->setMovable(false);
  bar->setIconSize(QSize(16, 16));
  for (GraphicsCommand command : graphicsToolBar(group_)) {
    const QIcon icon = command == GraphicsCommand::WriteIntoGroup ? write_into_group_icon(style())
                                                                  : style()->standardIcon(tool_pixmap(command));
    QAction* a = bar->addAction(icon, QString());
    connect(a, &QAction::triggered, this, [this, command] { run(command); });
    actions_[command] = a;
    if (separator_after(command)) bar->addSeparator();
  }
  panel_ = new PixelGridPanel(editor, this);
  setCentralWidget(panel_);
  setWindowFlag(Qt::Window);
  // A fixed window, as large as its contents.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QAction* GraphicsWindowBase::action(GraphicsCommand command) const {
  const auto it = actions_.find(command);
  return it == actions_.end() ? nullptr : it->second;
}

void GraphicsWindowBase::apply_tool_texts(int caption_id) {
  setWindowTitle(cleaned(caption_id));
  for (auto& [command, a] : actions_) {
    a->setText(cleaned(graphicsCommandText(command)));
    a->setToolTip(cleaned(graphicsCommandText(command)));
  }
  panel_->apply_texts();
}

void GraphicsWindowBase::show_window() {
  panel_->refresh();
  show();
  raise();
  activateWindow();
}

bool GraphicsWindowBase::run_common(GraphicsCommand command) {
  const EditorProfile& profile = editor_->profile();
  switch (command) {
    case GraphicsCommand::New:
      editor_->newPicture();
      break;
    case GraphicsCommand::Open: {
      const QString path =
          QFileDialog::getOpenFileName(this, cleaned(graphicsCommandText(command)), QString(),
                                       dialog_filter(profile.openFilter));
      if (!path.isEmpty()) editor_->open(path.toStdString());
      break;
    }
    case GraphicsCommand::Save: {
      const QString filter = dialog_filter(saveFilter(profile));
      QString chosen;
      const QString path = QFileDialog::getSaveFileName(this, cleaned(graphicsCommandText(command)), QString(),
                                                        filter, &chosen);
      if (path.isEmpty()) break;
      std::string name = path.toStdString();
      const int index = static_cast<int>(filter.split(QStringLiteral(";;")).indexOf(chosen)) + 1;
      const PictureFormat format = saveFormat(profile, index, name);
      if (save_picture(name, format)) statusBar()->showMessage(QString::fromStdString(tx_with(kTextPictureSaved, {name})));
      break;
    }
    case GraphicsCommand::Back:
      if (on_back) on_back();
      return true;
    default:
      return false;
  }
  panel_->refresh();
  return true;
}

bool GraphicsWindowBase::save_picture(const std::string& name, PictureFormat format) {
  return editor_->save(name, format);
}

void GraphicsWindowBase::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    return;
  }
  if ((event->modifiers() & Qt::ControlModifier) && event->key() >= Qt::Key_0 && event->key() <= Qt::Key_9) {
    if (const auto command = graphicsCommandForDigit(group_, event->key() - Qt::Key_0)) {
      run(*command);
      return;
    }
  }
  QMainWindow::keyPressEvent(event);
}

// ------------------------------------------------------------ TForm16

TForm16::TForm16(HandsetSession& session, Prompt& prompt, OperatorQuestion ask_operator, QWidget* parent)
    : GraphicsWindowBase(true, prompt, parent),
      session_(session),
      logic_(session.engine(), session.media(), prompt),
      ask_operator_(std::move(ask_operator)) {
  setObjectName(QStringLiteral("TForm16"));
  set_up(logic_.editor());
  dialog_ = new TOKHelpRightDlg5(this);
  logic_.on_changed = [this] { panel_->refresh(); };
  logic_.on_groups_read = [this] { show_group_dialog(); };
  logic_.on_group_written = [this](int group) { show_written_group(group); };
  apply_texts();
}

TForm16::~TForm16() { logic_.detach(); }

void TForm16::apply_texts() {
  apply_tool_texts(kTextGroupGraphics);
  dialog_->apply_texts();
}

void TForm16::show_group_dialog() {
  dialog_->fill(logic_.group_names(), logic_.group_logos(), logic_.logos_read());
  dialog_->set_choice(GroupChoice::Take);
  if (dialog_->exec() == QDialog::Accepted) {
    logic_.take_group_logo(dialog_->selected());
    panel_->refresh();
  }
}

void TForm16::write_into_group() {
  // The groups as last read (or their configured names); the write reads
  // them again before it writes.
  dialog_->fill(logic_.group_names(), logic_.group_logos(), logic_.logos_read());
  dialog_->set_choice(GroupChoice::WriteInto);
  if (dialog_->exec() == QDialog::Accepted) logic_.write_into_group(dialog_->selected());
}

void TForm16::show_written_group(int group) {
  dialog_->fill(logic_.group_names(), logic_.group_logos(), logic_.logos_read());
  dialog_->set_choice(GroupChoice::ReadBack, group);
  dialog_->select(group);
  dialog_->exec();
}

std::optional<std::pair<std::string, std::string>> TForm16::ask_network_code() {
  if (!logic_.read_network_code()) return std::nullopt;
  // The handset's network details arrive while the dialog is open.
  return ask_operator_ ? ask_operator_() : std::nullopt;
}

void TForm16::run(GraphicsCommand command) {
  if (run_common(command)) return;
  switch (command) {
    case GraphicsCommand::ReadGroup:
      logic_.read_groups();
      break;
    case GraphicsCommand::WriteGroup:
      logic_.write_group();
      break;
    case GraphicsCommand::WriteIntoGroup:
      write_into_group();
      break;
    case GraphicsCommand::SendGroup:
      fill_group_graphic_sms(session_.organiser().message_family().records().outgoing, logic_.picture());
      if (on_send) on_send();
      break;
    case GraphicsCommand::ReadLogo:
      logic_.read_logo();
      break;
    case GraphicsCommand::WriteLogo:
      if (const auto code = ask_network_code()) logic_.write_logo(code->first, code->second);
      break;
    case GraphicsCommand::SendLogo:
      if (const auto texts = ask_network_code()) {
        const auto code = logic_.network_code(texts->first, texts->second);
        if (!code) break;
        fill_operator_logo_sms(session_.organiser().message_family().records().outgoing, logic_.picture(),
                               code->first, code->second, session_.organiser().messages().references.take());
        if (on_send) on_send();
      }
      break;
    default:
      break;
  }
  panel_->refresh();
}

bool TForm16::save_picture(const std::string& name, PictureFormat format) {
  return editor_->save(name, format, session_.info().mcc, session_.info().mnc);
}

// ------------------------------------------------------------ TForm20

TForm20::TForm20(HandsetSession& session, Prompt& prompt, QWidget* parent)
    : GraphicsWindowBase(false, prompt, parent),
      session_(session),
      logic_(session.engine(), session.media(), prompt) {
  setObjectName(QStringLiteral("TForm20"));
  set_up(logic_.editor());
  logic_.on_changed = [this] { panel_->refresh(); };
  apply_texts();
}

TForm20::~TForm20() { logic_.detach(); }

void TForm20::apply_texts() { apply_tool_texts(kTextStartupGraphic); }

void TForm20::run(GraphicsCommand command) {
  if (run_common(command)) return;
  switch (command) {
    case GraphicsCommand::ReadStartup:
      logic_.read();
      break;
    case GraphicsCommand::WriteStartup:
      logic_.write();
      break;
    case GraphicsCommand::ResetPhone:
      logic_.reset_phone();
      break;
    default:
      break;
  }
  panel_->refresh();
}

}  // namespace phondeck
