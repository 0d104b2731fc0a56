#include "sim/families.h"

#include "sim/family_identification.h"
#include "sim/family_messages.h"
#include "sim/family_calendar.h"
#include "sim/family_graphics.h"
#include "sim/family_net_monitor.h"
#include "sim/family_phonebook.h"
#include "sim/family_ring_tone.h"
#include "sim/family_settings.h"
#include "sim/family_status.h"

namespace phondeck::sim {

std::span<const HandsetFamily> handset_families() {
  static const HandsetFamily families[] = {
      status_family(),
      phonebook_family(),
      net_monitor_family(),
      identification_family(),
      settings_family(),
      messages_family(),
      calendar_family(),
      ring_tone_family(),
      graphics_family(),
  };
  return families;
}

void add_all_families(DispatchTable& table) {
  for (const HandsetFamily& family : handset_families()) family.add_handlers(table);
}

}  // namespace phondeck::sim
