#include "media/qt/ring_tone_windows.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/text_table.h"
#include "media/qt/tone_player.h"
#include "session/handset_session.h"
#include "session/qt/save_dialog.h"

namespace phondeck {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

// Captions used as hints and titles: cut before "(", no "&" or ".".
QString clean(int id) {
  std::string text = tx(id);
  if (const std::size_t at = text.find('('); at != std::string::npos) text.resize(at);
  std::string out;
  for (char c : text) {
    if (c != '&' && c != '.') out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return qs(out);
}

constexpr int kTextMenuRingingTone = 150;
constexpr int kTextToneSaved = 3707;
constexpr int kTextPaste = 15;
constexpr int kTextPlay = 16;
constexpr int kTextStop = 17;
constexpr int kTextNew = 1200;
constexpr int kTextWrite = 1201;
constexpr int kTextSend = 1202;
constexpr int kTextBack = 1203;
constexpr int kTextTempo = 1210;
constexpr int kTextName = 1212;
constexpr int kTextFirstPage = 1220;
constexpr int kTextToneFiles = 3663;
constexpr int kTextRtttl = 3664;
constexpr int kTextOtt = 3665;
constexpr int kTextMidi = 3666;
constexpr int kTextOpen = 3674;
constexpr int kTextSave = 3675;
constexpr int kStatusMs = 5000;

}  // namespace

TForm12::TForm12(HandsetSession& session, Prompt& prompt, std::function<void()> show_main,
                 std::function<void(const SmartSms&)> send, QWidget* parent)
    : QMainWindow(parent), prompt_(prompt), show_main_(std::move(show_main)) {
  logic_ = std::make_unique<RingToneWindowLogic>(session.engine(), session.media().ring_tone(), prompt);
  logic_->on_send = std::move(send);
  player_ = new TonePlayer(this);
  player_->on_finished = [this] { refresh_play_buttons(); };
  build();
  apply_texts();
  refresh();
}

TForm12::~TForm12() = default;

void TForm12::build() {
  resize(400, 360);
  tool_bar_ = addToolBar(QString());
  tool_bar_->setMovable(false);
  const std::pair<Tool, QStyle::StandardPixmap> tools[] = {
      {Tool::New, QStyle::SP_FileIcon},          {Tool::Open, QStyle::SP_DialogOpenButton},
      {Tool::Save, QStyle::SP_DialogSaveButton}, {Tool::Write, QStyle::SP_ArrowUp},
      {Tool::Send, QStyle::SP_ArrowRight},       {Tool::Back, QStyle::SP_ArrowBack}};
  for (const auto& [tool, icon] : tools) {
    if (tool == Tool::Write || tool == Tool::Back) tool_bar_->addSeparator();
    QAction* a = tool_bar_->addAction(style()->standardIcon(icon), QString());
    connect(a, &QAction::triggered, this, [this, t = tool] { run(t); });
    actions_[static_cast<std::size_t>(tool)] = a;
  }

  auto* client = new QWidget(this);
  auto* column = new QVBoxLayout(client);
  auto* fields = new QGridLayout;
  name_label_ = new QLabel(this);
  name_ = new QLineEdit(this);
  name_->setMaxLength(static_cast<int>(RingTone::kMaxNameLength));
  tempo_label_ = new QLabel(this);
  tempo_ = new QLineEdit(this);
  tempo_->setReadOnly(true);
  tempo_->setEnabled(false);
  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setRange(0, 12);
  slider_->setSingleStep(1);
  slider_->setPageStep(1);
  slider_->setTickPosition(QSlider::TicksBelow);
  debug_ = new QPushButton(QStringLiteral("Debug"), this);
  debug_->hide();
  fields->addWidget(name_label_, 0, 0);
  fields->addWidget(name_, 0, 1);
  fields->addWidget(tempo_label_, 1, 0);
  fields->addWidget(tempo_, 1, 1);
  fields->addWidget(slider_, 1, 2);
  column->addLayout(fields);
  connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) { logic_->set_name(text.toStdString()); });
  connect(slider_, &QSlider::valueChanged, this, [this](int value) {
    logic_->set_tempo_index(value);
    tempo_->setText(qs(logic_->tempo_text()));
  });

  pages_ = new QTabWidget(this);
  // The notations' names whole: the window is at least as wide as its tabs.
  pages_->tabBar()->setUsesScrollButtons(false);
  pages_->setElideMode(Qt::ElideNone);
  for (int page = 0; page < RingToneWindowLogic::kPageCount; ++page) {
    auto* sheet = new QWidget(pages_);
    auto* layout = new QVBoxLayout(sheet);
    if (page == RingToneWindowLogic::kMidiPage) {
      tree_ = new QTreeWidget(sheet);
      tree_->setHeaderHidden(true);
      tree_->setSelectionMode(QAbstractItemView::NoSelection);
      layout->addWidget(tree_);
    } else {
      auto* edit = new QPlainTextEdit(sheet);
      edit->setLineWrapMode(QPlainTextEdit::NoWrap);
      texts_[static_cast<std::size_t>(page)] = edit;
      layout->addWidget(edit);
      connect(edit, &QPlainTextEdit::textChanged, this, [this, page, edit] {
        if (!refreshing_) logic_->set_text(page, edit->toPlainText().toStdString());
      });
    }
    auto* buttons = new QHBoxLayout;
    auto* play = new QPushButton(sheet);
    auto* stop = new QPushButton(sheet);
    play_[static_cast<std::size_t>(page)] = play;
    stop_[static_cast<std::size_t>(page)] = stop;
    connect(play, &QPushButton::clicked, this, [this, page] { this->play(page); });
    connect(stop, &QPushButton::clicked, this, [this] { this->stop(); });
    buttons->addWidget(play);
    buttons->addWidget(stop);
    if (page != RingToneWindowLogic::kMidiPage) {
      auto* paste = new QPushButton(sheet);
      paste_[static_cast<std::size_t>(page)] = paste;
      connect(paste, &QPushButton::clicked, this, [this, page] {
        const QString clip = QApplication::clipboard()->text();
        if (!clip.isEmpty()) texts_[static_cast<std::size_t>(page)]->insertPlainText(clip);
      });
      buttons->addWidget(paste);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    pages_->addTab(sheet, QString());
  }
  connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
    if (!refreshing_) logic_->set_page(page);
  });
  column->addWidget(pages_, 1);
  setCentralWidget(client);
  statusBar();
}

void TForm12::apply_texts() {
  setWindowTitle(clean(kTextMenuRingingTone));
  const std::pair<Tool, int> hints[] = {{Tool::New, kTextNew},     {Tool::Open, kTextOpen}, {Tool::Save, kTextSave},
                                        {Tool::Write, kTextWrite}, {Tool::Send, kTextSend}, {Tool::Back, kTextBack}};
  for (const auto& [tool, id] : hints) {
    actions_[static_cast<std::size_t>(tool)]->setText(clean(id));
    actions_[static_cast<std::size_t>(tool)]->setToolTip(clean(id));
  }
  name_label_->setText(qs(tx(kTextName)));
  tempo_label_->setText(qs(tx(kTextTempo)));
  for (int page = 0; page < RingToneWindowLogic::kPageCount; ++page) {
    pages_->setTabText(page, qs(tx(kTextFirstPage + page)));
    play_[static_cast<std::size_t>(page)]->setText(qs(tx(kTextPlay)));
    stop_[static_cast<std::size_t>(page)]->setText(qs(tx(kTextStop)));
    if (auto* paste = paste_[static_cast<std::size_t>(page)]) paste->setText(qs(tx(kTextPaste)));
  }
  refresh();  // the tree's labels
}

void TForm12::refresh() {
  refreshing_ = true;
  name_->setText(qs(logic_->name()));
  slider_->setValue(logic_->tempo_index());
  tempo_->setText(qs(logic_->tempo_text()));
  for (int page = 1; page < RingToneWindowLogic::kPageCount; ++page) {
    QPlainTextEdit* edit = texts_[static_cast<std::size_t>(page)];
    const QString text = qs(logic_->text(page));
    if (edit->toPlainText() != text) edit->setPlainText(text);
  }
  tree_->clear();
  QTreeWidgetItem* root = nullptr;
  for (const ToneTreeRow& row : logic_->midi_tree()) {
    if (row.depth == 0 || !root) {
      root = new QTreeWidgetItem(tree_, QStringList{qs(row.text)});
    } else {
      new QTreeWidgetItem(root, QStringList{qs(row.text)});
    }
  }
  tree_->expandAll();
  pages_->setCurrentIndex(logic_->page());
  refreshing_ = false;
  refresh_play_buttons();
}

void TForm12::refresh_play_buttons() {
  const bool playing = player_->playing();
  for (int page = 0; page < RingToneWindowLogic::kPageCount; ++page) {
    const bool has_tone = page != RingToneWindowLogic::kMidiPage || logic_->has_midi_tone();
    play_[static_cast<std::size_t>(page)]->setEnabled(has_tone);
    stop_[static_cast<std::size_t>(page)]->setEnabled(has_tone && playing);
  }
}

void TForm12::show_window() {
  if (!isVisible() && parentWidget()) {
    const QRect area = parentWidget()->screen()->availableGeometry();
    move(area.center() - rect().center());
  }
  show();
  raise();
  activateWindow();
}

void TForm12::run(Tool tool) {
  switch (tool) {
    case Tool::New:
      logic_->new_page();
      refresh();
      return;
    case Tool::Open:
      open_file();
      return;
    case Tool::Save:
      save_file();
      return;
    case Tool::Write:
      logic_->write();
      return;
    case Tool::Send:
      logic_->send();
      return;
    case Tool::Back:
      if (show_main_) show_main_();
      return;
  }
}

void TForm12::open_file() {
  const QString filters = qs(tx(kTextToneFiles)) + " (*.rtttl *.txt *.ott *.mid *.midi);;" + qs(tx(kTextRtttl)) +
                          " (*.rtttl *.txt);;" + qs(tx(kTextOtt)) + " (*.ott);;" + qs(tx(kTextMidi)) +
                          " (*.mid *.midi)";
  const QString path = QFileDialog::getOpenFileName(this, clean(kTextOpen), QString(), filters);
  if (path.isEmpty()) return;
  stop();
  logic_->open_file(path.toStdString());
  refresh();
}

void TForm12::save_file() {
  const QString rtttl = qs(tx(kTextRtttl)) + " (*.rtttl)";
  const QString ott = qs(tx(kTextOtt)) + " (*.ott)";
  QString chosen;
  const QString path = save_file_name(this, clean(kTextSave), rtttl + ";;" + ott, qs(logic_->name()), &chosen);
  if (path.isEmpty() || !logic_->save_file(path.toStdString())) return;
  statusBar()->showMessage(qs(tx_with(kTextToneSaved, {path.toStdString()})));
}

void TForm12::play(int page) {
  stop();
  const int rate = player_->sample_rate();
  if (rate == 0) {
    statusBar()->showMessage(qs(tx(3669)), kStatusMs);
    return;
  }
  const auto sound = logic_->play(page, rate);
  if (!sound) return;
  std::string problem;
  if (!player_->play(*sound, problem)) statusBar()->showMessage(qs(problem), kStatusMs);
  refresh_play_buttons();
}

void TForm12::stop() {
  player_->stop();
  refresh_play_buttons();
}

void TForm12::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    return;
  }
  if (event->modifiers() & Qt::ControlModifier) {
    const std::pair<int, Tool> keys[] = {{Qt::Key_0, Tool::Back},  {Qt::Key_1, Tool::New},   {Qt::Key_2, Tool::Open},
                                         {Qt::Key_3, Tool::Save},  {Qt::Key_4, Tool::Write}, {Qt::Key_5, Tool::Send}};
    for (const auto& [key, tool] : keys) {
      if (event->key() == key) {
        run(tool);
        return;
      }
    }
  }
  QMainWindow::keyPressEvent(event);
}

}  // namespace phondeck
