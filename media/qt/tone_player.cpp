#include "media/qt/tone_player.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include "app/text_table.h"

namespace phondeck {

namespace {

constexpr int kTextNoSoundDevice = 3669;

QAudioFormat mono16(int rate) {
  QAudioFormat format;
  format.setSampleRate(rate);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  return format;
}

}  // namespace

TonePlayer::TonePlayer(QObject* parent) : QObject(parent) {}

TonePlayer::~TonePlayer() { stop(); }

int TonePlayer::sample_rate() {
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return 0;
  for (int rate : {22050, 44100, 48000, device.preferredFormat().sampleRate()}) {
    if (rate > 0 && device.isFormatSupported(mono16(rate))) return rate;
  }
  return 0;
}

bool TonePlayer::play(const ToneSound& sound, std::string& problem) {
  stop();
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull() || sound.sample_rate <= 0) {
    problem = tx(kTextNoSoundDevice);
    return false;
  }
  data_ = QByteArray(reinterpret_cast<const char*>(sound.samples.data()),
                     static_cast<qsizetype>(sound.samples.size() * sizeof(std::int16_t)));
  buffer_.setData(data_);
  buffer_.open(QIODevice::ReadOnly);
  sink_ = std::make_unique<QAudioSink>(device, mono16(sound.sample_rate));
  connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
    if (state == QAudio::IdleState) {
      stop();
      if (on_finished) on_finished();
    }
  });
  sink_->start(&buffer_);
  if (sink_->error() != QAudio::NoError) {
    stop();
    problem = tx(kTextNoSoundDevice);
    return false;
  }
  return true;
}

void TonePlayer::stop() {
  if (sink_) {
    QAudioSink* sink = sink_.release();
    sink->disconnect(this);
    sink->stop();
    sink->deleteLater();
  }
  buffer_.close();
}

bool TonePlayer::playing() const { return sink_ && sink_->state() == QAudio::ActiveState; }

}  // namespace phondeck
