#pragma once
// phondeck sms and smsc: the messages listed, sent, written, deleted and
// archived, and the message centre; and the sending that the media commands
// share (a ringing tone or a logo goes out as a message).
#include <cstddef>

#include "cli/cli_context.h"
#include "organiser/message_family.h"
#include "organiser/messages_window.h"
#include "organiser/sms_sending.h"

namespace phondeck::cli {

// The logic of the Messages and SMS Sending windows on the session's
// message family.
struct MessageWindows {
  explicit MessageWindows(CliSession& s)
      : family(s.session().organiser().message_family()),
        messages(s.engine(), family, s.session().book(), s.prompt()),
        sending(s.engine(), family, s.session().book(), s.prompt()) {}
  MessageFamily& family;
  MessagesWindowLogic messages;
  SmsSendingLogic sending;
};

// Sends the outgoing message, as it is filled, to the numbers (the operands
// from `first` on): one row per number; all must be sent.
int send_outgoing(Context& c, CliSession& s, MessageWindows& w, std::size_t first, int validity = -1);

int sms_list(Context& c);
int sms_send(Context& c);
int sms_write(Context& c);
int sms_delete(Context& c);
int sms_archive(Context& c);
int smsc_get(Context& c);
int smsc_set(Context& c);

}  // namespace phondeck::cli
