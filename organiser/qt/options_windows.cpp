#include "organiser/qt/options_windows.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <unistd.h>

#include <algorithm>

#include "app/configuration.h"
#include "app/conversion.h"
#include "app/help.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/serial_port.h"
#include "organiser/qt/port_search.h"
#include "session/qt/dialog_buttons.h"

namespace phondeck {
namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }
QString cleaned(int id) { return qs(window_title(tx(id))); }
std::string ss(const QString& text) { return text.toStdString(); }

constexpr int kTextNotRead = 3697;

// A grid cell: as wide as its text, not as a dialog's button.
class CellButton final : public QPushButton {
 public:
  using QPushButton::QPushButton;
  QSize sizeHint() const override {
    const int padding = 2 * style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, this);
    return {fontMetrics().horizontalAdvance(text()) + padding, QPushButton::sizeHint().height()};
  }
  QSize minimumSizeHint() const override { return sizeHint(); }
};

template <typename T>
std::size_t at(T i) {
  return static_cast<std::size_t>(i);
}

}  // namespace

// ------------------------------------------------------------------ TPagesDlg

TPagesDlg::TPagesDlg(OptionsDialogLogic& logic, Prompt& prompt, QWidget* parent)
    : QDialog(parent), logic_(logic), prompt_(prompt) {
  setModal(true);
  build();
  apply_texts();
}

void TPagesDlg::build() {
  auto* outer = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  // Every page's name whole: the dialog is as wide as its tabs.
  pages_->tabBar()->setUsesScrollButtons(false);
  pages_->setElideMode(Qt::ElideNone);
  outer->addWidget(pages_);
  for (QWidget*& page : page_) {
    page = new QWidget(pages_);
    pages_->addTab(page, QString());
  }

  // Port.
  {
    auto* g = new QGridLayout(page_[0]);
    port_label_ = new QLabel(this);
    port_ = new QComboBox(this);
    device_label_ = new QLabel(this);
    device_ = new QLineEdit(this);
    virtual_ = new QPushButton(this);
    media_label_ = new QLabel(this);
    media_ = new QComboBox(this);
    auto_reconnect_ = new QCheckBox(this);
    auto* cable_box = new QGroupBox(this);
    cable_box_ = cable_box;
    cable_ = new QComboBox(cable_box);
    (new QVBoxLayout(cable_box))->addWidget(cable_);
    cable_box->hide();  // always the first setting
    g->addWidget(port_label_, 0, 0);
    g->addWidget(port_, 0, 1);
    g->addWidget(device_label_, 1, 0);
    g->addWidget(device_, 1, 1);
    g->addWidget(virtual_, 1, 2);
    g->addWidget(media_label_, 2, 0);
    g->addWidget(media_, 2, 1);
    g->addWidget(auto_reconnect_, 3, 1);
    g->addWidget(cable_box, 4, 0, 1, 3);
    // The devices that exist, the search and "Use this one".
    search_ = new PortSearchPanel(
        [this](const std::string& device, int media) {
          device_->setText(qs(device));
          media_->setCurrentIndex(media);
        },
        this);
    g->addWidget(search_, 5, 0, 1, 3);
    g->setRowStretch(5, 1);
    connect(virtual_, &QPushButton::clicked, this, [this] { device_->setText(QStringLiteral("virtual")); });
    connect(media_, &QComboBox::currentIndexChanged, this, [this](int index) {
      if (loading_) return;
      logic_.type = index;
      refresh_enabled();
    });
  }
  // Locale.
  {
    auto* g = new QGridLayout(page_[1]);
    language_label_ = new QLabel(this);
    language_ = new QComboBox(this);
    multibyte_label_ = new QLabel(this);
    multibyte_ = new QComboBox(this);
    g->addWidget(language_label_, 0, 0);
    g->addWidget(language_, 0, 1);
    g->addWidget(multibyte_label_, 1, 0);
    g->addWidget(multibyte_, 1, 1);
    g->setRowStretch(2, 1);
    connect(language_, &QComboBox::currentIndexChanged, this, [this](int index) {
      if (loading_) return;
      logic_.choose_language(index);
      loading_ = true;
      multibyte_->setCurrentIndex(logic_.multibyte ? 1 : 0);
      loading_ = false;
      refresh_enabled();
    });
  }
  // Group.
  {
    auto* g = new QGridLayout(page_[2]);
    for (int c = 0; c < 3; ++c) {
      group_heads_[at(c)] = new QLabel(this);
      g->addWidget(group_heads_[at(c)], 0, c);
    }
    for (int r = 0; r < OptionsDialogLogic::kGroupRows; ++r) {
      group_default_[at(r)] = new QLabel(this);
      group_current_[at(r)] = new QLabel(this);
      group_new_[at(r)] = new QLineEdit(this);
      g->addWidget(group_default_[at(r)], r + 1, 0);
      g->addWidget(group_current_[at(r)], r + 1, 1);
      g->addWidget(group_new_[at(r)], r + 1, 2);
    }
    auto* buttons = new QHBoxLayout;
    group_defaults_ = new QPushButton(this);
    group_read_ = new QPushButton(this);
    group_write_ = new QPushButton(this);
    buttons->addWidget(group_defaults_);
    buttons->addWidget(group_read_);
    buttons->addWidget(group_write_);
    g->addLayout(buttons, 7, 0, 1, 3);
    connect(group_defaults_, &QPushButton::clicked, this, [this] {
      take();
      logic_.groups_default();
      load_groups();
    });
    connect(group_read_, &QPushButton::clicked, this, [this] {
      take();
      logic_.read_groups();
    });
    connect(group_write_, &QPushButton::clicked, this, [this] {
      take();
      logic_.write_groups();
    });
  }
  // Width.
  {
    auto* g = new QGridLayout(page_[3]);
    method_label_ = new QLabel(this);
    method_ = new QComboBox(this);
    g->addWidget(method_label_, 0, 0);
    g->addWidget(method_, 0, 1);
    for (int c = 0; c < 4; ++c) {
      width_heads_[at(c)] = new QLabel(this);
      g->addWidget(width_heads_[at(c)], 1, c);
    }
    for (int r = 0; r < OptionsDialogLogic::kWidthRows; ++r) {
      width_labels_[at(r)] = new QLabel(this);
      width_default_[at(r)] = new QLabel(this);
      width_current_[at(r)] = new QLabel(this);
      width_new_[at(r)] = new QLineEdit(this);
      g->addWidget(width_labels_[at(r)], r + 2, 0);
      g->addWidget(width_default_[at(r)], r + 2, 1);
      g->addWidget(width_current_[at(r)], r + 2, 2);
      g->addWidget(width_new_[at(r)], r + 2, 3);
    }
    auto* buttons = new QHBoxLayout;
    width_defaults_ = new QPushButton(this);
    get_width_ = new QPushButton(this);
    buttons->addWidget(width_defaults_);
    buttons->addWidget(get_width_);
    g->addLayout(buttons, 10, 0, 1, 4);
    connect(width_defaults_, &QPushButton::clicked, this, [this] {
      take();
      logic_.widths_default();
      load_widths();
    });
    connect(get_width_, &QPushButton::clicked, this, [this] {
      take();
      logic_.get_width();
      load_widths();
    });
  }
  // SMS.
  {
    auto* g = new QGridLayout(page_[4]);
    smsc_label_ = new QLabel(this);
    smsc_choice_ = new QComboBox(this);
    g->addWidget(smsc_label_, 0, 0);
    g->addWidget(smsc_choice_, 0, 1);
    for (int k = 0; k < OptionsDialogLogic::kSmscSettings; ++k) {
      smsc_labels_[at(k)] = new QLabel(this);
      smsc_[at(k)] = new QLineEdit(this);
      g->addWidget(smsc_labels_[at(k)], k + 1, 0);
      g->addWidget(smsc_[at(k)], k + 1, 1);
    }
    smsc_read_ = new QLineEdit(this);
    smsc_read_->setReadOnly(true);
    smsc_read_button_ = new QPushButton(this);
    smsc_write_button_ = new QPushButton(this);
    g->addWidget(smsc_read_, 7, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(smsc_read_button_);
    buttons->addWidget(smsc_write_button_);
    g->addLayout(buttons, 8, 0, 1, 2);
    connect(smsc_read_button_, &QPushButton::clicked, this, [this] { logic_.read_smsc(); });
    connect(smsc_write_button_, &QPushButton::clicked, this, [this] {
      take();
      logic_.write_smsc();
    });
  }
  // Calendar.
  {
    auto* box = new QGroupBox(this);
    work_box_ = box;
    (new QVBoxLayout(page_[5]))->addWidget(box);
    auto* g = new QGridLayout(box);
    start_label_ = new QLabel(this);
    end_label_ = new QLabel(this);
    start_ = new QSlider(Qt::Horizontal, this);
    end_ = new QSlider(Qt::Horizontal, this);
    start_hour_ = new QLabel(this);
    end_hour_ = new QLabel(this);
    for (QSlider* s : {start_, end_}) {
      s->setRange(0, 23);
      s->setTickInterval(1);
      s->setTickPosition(QSlider::TicksBelow);
    }
    g->addWidget(start_label_, 0, 0);
    g->addWidget(start_, 0, 1);
    g->addWidget(start_hour_, 0, 2);
    g->addWidget(end_label_, 1, 0);
    g->addWidget(end_, 1, 1);
    g->addWidget(end_hour_, 1, 2);
    connect(start_, &QSlider::valueChanged, this, [this](int hour) {
      if (loading_) return;
      logic_.move_start(hour);
      refresh_hours();
    });
    connect(end_, &QSlider::valueChanged, this, [this](int hour) {
      if (loading_) return;
      logic_.move_end(hour);
      refresh_hours();
    });
  }
  // Misc.
  {
    auto* v = new QVBoxLayout(page_[6]);
    for (QCheckBox*& box : misc_) {
      box = new QCheckBox(this);
      v->addWidget(box);
    }
    v->addStretch(1);
  }

  QHBoxLayout* buttons = add_ok_cancel_row(this, outer, ok_, cancel_);
  help_ = new QPushButton(this);
  buttons->addWidget(help_);
  connect(help_, &QPushButton::clicked, this, [] { open_help("#config"); });
}

void TPagesDlg::apply_texts() {
  setWindowTitle(cleaned(163));
  const int page_ids[] = {1100, 1140, 196, 1165, 1170, 1175, 1180};
  for (int p = 0; p < 7; ++p) pages_->setTabText(p, cleaned(page_ids[p]));
  loading_ = true;
  port_label_->setText(qs(tx(1101)));
  port_->clear();
  // The COM names with the device each opens on this system, marked when absent.
  for (int k = 0; k < 8; ++k) {
    const std::string device = SerialPort::com_port_device(k);
    const bool present = ::access(device.c_str(), F_OK) == 0;
    port_->addItem(qs(tx(1102 + k)) + QStringLiteral(" \u2014 ") + qs(device) +
                   (present ? QString() : QStringLiteral(" ") + qs(tx(3118))));
  }
  search_->apply_texts();
  device_label_->setText(qs(tx(3681)));
  device_->setToolTip(qs(tx(3684)));
  virtual_->setText(qs(tx(3682)));
  media_label_->setText(qs(tx(1110)));
  media_->clear();
  media_->addItems({qs(tx(1111)), qs(tx(1112))});
  auto_reconnect_->setText(qs(tx(1130)));
  static_cast<QGroupBox*>(cable_box_)->setTitle(qs(tx(1120)));
  cable_->clear();
  for (int k = 0; k < 7; ++k) cable_->addItem(qs(tx(1121 + k)));
  language_label_->setText(qs(tx(1141)));
  language_->clear();
  for (int k = 0; k < 5; ++k) language_->addItem(qs(tx(1142 + k)));
  multibyte_label_->setText(qs(tx(1150)));
  multibyte_->clear();
  multibyte_->addItems({cleaned(13), cleaned(12)});
  for (int c = 0; c < 3; ++c) group_heads_[at(c)]->setText(qs(tx(1160 + c)));
  group_defaults_->setText(qs(tx(1163)));
  group_read_->setText(qs(tx(1172)));
  group_write_->setText(qs(tx(1173)));
  method_label_->setText(qs(tx(1166)));
  method_->clear();
  method_->addItems({qs(tx(1167)), qs(tx(1168))});
  width_heads_[0]->setText(QString());
  for (int c = 0; c < 3; ++c) width_heads_[at(c + 1)]->setText(qs(tx(1160 + c)));
  for (int r = 0; r < OptionsDialogLogic::kWidthRows; ++r) width_labels_[at(r)]->setText(cleaned(191 + r));
  width_defaults_->setText(qs(tx(1163)));
  get_width_->setText(qs(tx(1164)));
  smsc_label_->setText(qs(tx(1171)));
  smsc_choice_->clear();
  smsc_choice_->addItem(qs(tx(1160)));
  for (int k = 0; k < OptionsDialogLogic::kSmscSettings; ++k) {
    smsc_choice_->addItem(qs(tx(1121 + k)));
    smsc_labels_[at(k)]->setText(qs(tx(1121 + k)));
  }
  smsc_read_button_->setText(qs(tx(1172)));
  smsc_write_button_->setText(qs(tx(1173)));
  static_cast<QGroupBox*>(work_box_)->setTitle(qs(tx(1176)));
  start_label_->setText(qs(tx(1177)));
  end_label_->setText(qs(tx(1178)));
  for (int k = 0; k < 4; ++k) misc_[at(k)]->setText(qs(tx(1181 + k)));
  ok_->setText(qs(tx(10)));
  cancel_->setText(qs(tx(11)));
  help_->setText(qs(tx(60)));
  loading_ = false;
  load();
}

void TPagesDlg::prepare() {
  logic_.show();
  load();
  pages_->setCurrentIndex(0);
}

int TPagesDlg::show_modal() {
  prepare();
  return exec();
}

void TPagesDlg::load() {
  loading_ = true;
  port_->setCurrentIndex(logic_.port);
  device_->setText(qs(logic_.device));
  media_->setCurrentIndex(logic_.type);
  search_->refresh(config().Port);
  auto_reconnect_->setChecked(logic_.auto_reconnect);
  cable_->setCurrentIndex(logic_.cable_option);
  language_->setCurrentIndex(logic_.language);
  multibyte_->setCurrentIndex(logic_.multibyte ? 1 : 0);
  method_->setCurrentIndex(logic_.method == 0 ? 0 : 1);
  smsc_choice_->setCurrentIndex(logic_.smsc_choice);
  for (int k = 0; k < OptionsDialogLogic::kSmscSettings; ++k) smsc_[at(k)]->setText(qs(logic_.smsc[at(k)]));
  smsc_read_->setText(qs(logic_.smsc_read));
  const bool states[] = {logic_.del_confirm, logic_.write_confirm, logic_.basic_level, logic_.show_com_error};
  for (int k = 0; k < 4; ++k) misc_[at(k)]->setChecked(states[k]);
  loading_ = false;
  load_groups();
  load_widths();
  refresh_hours();
  refresh_enabled();
}

void TPagesDlg::load_groups() {
  for (int r = 0; r < OptionsDialogLogic::kGroupRows; ++r) {
    group_default_[at(r)]->setText(qs(OptionsDialogLogic::default_group(r)));
    group_current_[at(r)]->setText(qs(logic_.group_current[at(r)]));
    group_new_[at(r)]->setText(qs(logic_.group_new[at(r)]));
  }
}

void TPagesDlg::load_widths() {
  for (int r = 0; r < OptionsDialogLogic::kWidthRows; ++r) {
    width_default_[at(r)]->setText(QString::number(OptionsDialogLogic::default_width(r)));
    width_current_[at(r)]->setText(QString::number(logic_.width_current[at(r)]));
    width_new_[at(r)]->setText(qs(logic_.width_new[at(r)]));
  }
}

void TPagesDlg::refresh_enabled() {
  auto_reconnect_->setEnabled(logic_.auto_reconnect_enabled());
  multibyte_->setEnabled(logic_.multibyte_enabled());
}

void TPagesDlg::refresh_hours() {
  loading_ = true;
  start_->setValue(logic_.time_start);
  end_->setValue(logic_.time_end);
  loading_ = false;
  start_hour_->setText(qs(OptionsDialogLogic::hour_label(logic_.time_start)));
  end_hour_->setText(qs(OptionsDialogLogic::hour_label(logic_.time_end)));
}

void TPagesDlg::take() {
  logic_.port = port_->currentIndex();
  logic_.device = ss(device_->text().trimmed());
  logic_.type = media_->currentIndex();
  logic_.auto_reconnect = auto_reconnect_->isChecked();
  logic_.cable_option = cable_->currentIndex();
  logic_.language = language_->currentIndex();
  logic_.multibyte = multibyte_->currentIndex() == 1;
  for (int r = 0; r < OptionsDialogLogic::kGroupRows; ++r) logic_.group_new[at(r)] = ss(group_new_[at(r)]->text());
  logic_.method = method_->currentIndex();
  for (int r = 0; r < OptionsDialogLogic::kWidthRows; ++r) logic_.width_new[at(r)] = ss(width_new_[at(r)]->text());
  logic_.smsc_choice = smsc_choice_->currentIndex();
  for (int k = 0; k < OptionsDialogLogic::kSmscSettings; ++k) logic_.smsc[at(k)] = ss(smsc_[at(k)]->text());
  logic_.del_confirm = misc_[0]->isChecked();
  logic_.write_confirm = misc_[1]->isChecked();
  logic_.basic_level = misc_[2]->isChecked();
  logic_.show_com_error = misc_[3]->isChecked();
}

void TPagesDlg::smsc_read() {
  smsc_read_->setText(qs(logic_.smsc_read));
}

void TPagesDlg::accept() {
  take();
  try {
    logic_.ok();
  } catch (const ConversionError& error) {
    prompt_.message(error.what());
    return;
  }
  QDialog::accept();
}

// ------------------------------------------------------------------ TForm22

TForm22::TForm22(ProfilesWindowLogic& logic, std::function<void()> back, QWidget* parent)
    : QWidget(parent), logic_(logic), back_(std::move(back)) {
  setWindowFlag(Qt::Window);
  build();
  apply_texts();
  take_default_size();
}

void TForm22::build() {
  auto* outer = new QVBoxLayout(this);
  tool_bar_ = new QToolBar(this);
  outer->addWidget(tool_bar_);
  // Buttons 2 and 3 of the other windows' bars have nothing to do here.
  new_ = tool_bar_->addAction(QString());
  tool_bar_->addSeparator();
  read_ = tool_bar_->addAction(QString());
  tool_bar_->addSeparator();
  write_ = tool_bar_->addAction(QString());
  tool_bar_->addSeparator();
  back_action_ = tool_bar_->addAction(QString());
  connect(new_, &QAction::triggered, this, [this] {
    if (logic_.new_profiles()) refresh();
  });
  connect(read_, &QAction::triggered, this, [this] { logic_.read(); });
  connect(write_, &QAction::triggered, this, [this] { logic_.write(); });
  connect(back_action_, &QAction::triggered, this, [this] {
    if (back_) back_();
  });

  // The grid scrolls when the desktop's font makes it larger than the main
  // window, which the window never outgrows.
  auto* scroll = new QScrollArea(this);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  auto* sheet = new QWidget(scroll);
  sheet_ = sheet;
  scroll->setWidget(sheet);
  outer->addWidget(scroll, 1);
  auto* grid = new QGridLayout(sheet);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(2);
  for (QLabel*& label : row_labels_) label = new QLabel(sheet);
  // Rows: 0 heads, 1 name, 2 call alert, 3 "Caller groups", 4..8 one row per
  // group (its name on the left, a box per profile), 9..16 settings 1..8,
  // 17 Default, 18 Activate.
  constexpr int kGroupRow = 4;
  constexpr int kDefaultRow = kGroupRow + kProfileGroups + kProfileSettings - 1;
  auto setting_row = [](int setting) { return setting == 0 ? 2 : setting + kGroupRow + kProfileGroups - 1; };
  grid->addWidget(row_labels_[0], 1, 0);
  for (int s = 0; s < kProfileSettings; ++s) grid->addWidget(row_labels_[at(s + 1)], setting_row(s), 0);
  grid->addWidget(row_labels_[at(kProfileSettings + 1)], 3, 0);
  for (int g = 0; g < kProfileGroups; ++g) {
    group_labels_[at(g)] = new QLabel(sheet);
    group_labels_[at(g)]->setIndent(fontMetrics().averageCharWidth() * 2);
    grid->addWidget(group_labels_[at(g)], kGroupRow + g, 0);
  }
  for (int p = 0; p < kProfileCount; ++p) {
    const int column = p + 1;
    heads_[at(p)] = new QLabel(sheet);
    names_[at(p)] = new QLabel(sheet);
    grid->addWidget(heads_[at(p)], 0, column);
    grid->addWidget(names_[at(p)], 1, column);
    for (int s = 0; s < kProfileSettings; ++s) {
      auto* b = new CellButton(sheet);
      b->setFlat(!ProfilesWindowLogic::cell_opens(p, s));
      cells_[at(p)][at(s)] = b;
      grid->addWidget(b, setting_row(s), column);
      connect(b, &QPushButton::clicked, this, [this, p, s] { open_cell(p, s); });
    }
    for (int g = 0; g < kProfileGroups; ++g) {
      auto* check = new QCheckBox(sheet);
      groups_[at(p)][at(g)] = check;
      grid->addWidget(check, kGroupRow + g, column, Qt::AlignHCenter);
      connect(check, &QCheckBox::toggled, this, [this, p, g](bool on) { logic_.set_group(p, g, on); });
    }
    defaults_[at(p)] = new CellButton(sheet);
    grid->addWidget(defaults_[at(p)], kDefaultRow, column);
    connect(defaults_[at(p)], &QPushButton::clicked, this, [this, p] {
      logic_.set_default(p);
      refresh();
    });
    if (p < kActivatableProfiles) {
      activate_[at(p)] = new CellButton(sheet);
      grid->addWidget(activate_[at(p)], kDefaultRow + 1, column);
      connect(activate_[at(p)], &QPushButton::clicked, this, [this, p] { logic_.activate(p); });
    }
  }
  grid->setRowStretch(kDefaultRow + 2, 1);
  grid->setColumnStretch(kProfileCount + 1, 1);
}

void TForm22::take_default_size() {
  // The whole grid, as far as the main window's configured size allows.
  const QMargins m = layout()->contentsMargins();
  const QSize grid = sheet_->sizeHint();
  const int width = m.left() + grid.width() + m.right();
  const int height = m.top() + tool_bar_->sizeHint().height() + layout()->spacing() + grid.height() + m.bottom();
  resize(std::min(width, config().Width), std::min(height, config().Height));
}

void TForm22::apply_texts() {
  setWindowTitle(qs(ProfilesWindowLogic::caption()));
  new_->setText(qs(tx(2200)));
  read_->setText(qs(tx(2201)));
  write_->setText(qs(tx(2202)));
  back_action_->setText(qs(tx(2203)));
  for (QAction* a : {new_, read_, write_, back_action_}) a->setToolTip(a->text());
  row_labels_[0]->setText(cleaned(191));
  for (int s = 0; s < kProfileSettings; ++s) row_labels_[at(s + 1)]->setText(qs(profile_setting_label(s)));
  row_labels_[at(kProfileSettings + 1)]->setText(qs(tx(2225)));
  for (int p = 0; p < kProfileCount; ++p) {
    heads_[at(p)]->setText(qs(tx(3685)) + QStringLiteral(" %1").arg(p + 1));
    defaults_[at(p)]->setText(qs(tx(2205)));
    if (activate_[at(p)]) activate_[at(p)]->setText(qs(tx(2206)));
  }
  refresh();
}

void TForm22::refresh() {
  const std::vector<std::string> labels = ProfilesWindowLogic::group_labels();
  for (int g = 0; g < kProfileGroups; ++g) group_labels_[at(g)]->setText(qs(labels[at(g)]));
  // A profile not read from the handset shows the built-in values, greyed.
  const QPalette normal = palette();
  QPalette unread = normal;
  for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text}) {
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
      unread.setColor(group, role, normal.color(QPalette::Disabled, role));
    }
  }
  for (int p = 0; p < kProfileCount; ++p) {
    const bool read = logic_.profiles()[p].read;
    const QString hint = read ? QString() : qs(tx(kTextNotRead));
    names_[at(p)]->setText(qs(logic_.profiles().shown_name(p)));
    names_[at(p)]->setPalette(read ? normal : unread);
    names_[at(p)]->setToolTip(hint);
    for (int s = 0; s < kProfileSettings; ++s) {
      QPushButton* cell = cells_[at(p)][at(s)];
      cell->setText(qs(logic_.cell_text(p, s)));
      cell->setPalette(read ? normal : unread);
      cell->setToolTip(hint);
    }
    const bool enabled = logic_.groups_enabled(p);
    for (int g = 0; g < kProfileGroups; ++g) {
      QCheckBox* check = groups_[at(p)][at(g)];
      const QSignalBlocker block(check);
      check->setChecked(logic_.profiles()[p].groups[at(g)]);
      check->setEnabled(enabled);
      check->setPalette(read ? normal : unread);
    }
  }
}

void TForm22::show_window() {
  refresh();
  show();
  raise();
  activateWindow();
}

void TForm22::open_cell(int profile, int setting) {
  if (!ProfilesWindowLogic::cell_opens(profile, setting)) return;
  QPushButton* b = cell(profile, setting);
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const std::vector<std::string> options = profile_options(setting);
  for (std::size_t i = 0; i < options.size(); ++i) {
    QAction* a = menu->addAction(qs(options[i]));
    connect(a, &QAction::triggered, this, [this, profile, setting, i] {
      logic_.choose(profile, setting, static_cast<int>(i));
      refresh();
    });
  }
  list_ = menu;
  menu->popup(b->mapToGlobal(QPoint(0, b->height())));
}

void TForm22::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    return;
  }
  if (event->modifiers().testFlag(Qt::ControlModifier)) {
    switch (event->key()) {
      case Qt::Key_0:
        if (back_) back_();
        return;
      case Qt::Key_1:
        new_->trigger();
        return;
      case Qt::Key_4:
        logic_.read();
        return;
      case Qt::Key_5:
        logic_.write();
        return;
      case Qt::Key_9:
        logic_.show_read();
        refresh();
        return;
      default:
        break;
    }
  }
  QWidget::keyPressEvent(event);
}

}  // namespace phondeck
