#pragma once
// Plays synthesised tone samples on the default sound output. Without an
// output device (a headless machine) play() says so and does nothing.
#include <QBuffer>
#include <QByteArray>
#include <QObject>

#include <functional>
#include <memory>
#include <string>

#include "media/ring_tone_window.h"

class QAudioSink;

namespace phondeck {

class TonePlayer final : public QObject {
  Q_OBJECT
 public:
  explicit TonePlayer(QObject* parent = nullptr);
  ~TonePlayer() override;

  // A sample rate the default output takes 16-bit mono samples at; 0 when
  // there is no output device or it takes none of them.
  int sample_rate();
  // Starts playing; false with `problem` set when it could not.
  bool play(const ToneSound& sound, std::string& problem);
  void stop();
  bool playing() const;
  // Called when playing ends by itself.
  std::function<void()> on_finished;

 private:
  std::unique_ptr<QAudioSink> sink_;
  QByteArray data_;
  QBuffer buffer_;
};

}  // namespace phondeck
