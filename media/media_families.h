#pragma once
// This area's handset families and the records they fill, held by the
// session and registered with the engine for as long as it lives. The
// ringing-tone and graphics families belong here, each with its
// FamilyRegistration on a step range of the media and settings state (9),
// and so does the caller-group table they share.
#include "link/family_registration.h"
#include "link/step_router.h"
#include "media/ring_tone_family.h"
#include "media/graphics_family.h"
#include "media/graphics_records.h"
#include "media/group_write_family.h"
#include "media/startup_graphic_family.h"

namespace phondeck {

class OperationEngine;

class MediaFamilies {
 public:
  // media_and_settings: the router of link state 9, shared with the link's
  // and the organiser's families.
  MediaFamilies(OperationEngine& engine, StepRouter& media_and_settings)
      : engine_(engine), media_and_settings_(media_and_settings) {}
  MediaFamilies(const MediaFamilies&) = delete;
  MediaFamilies& operator=(const MediaFamilies&) = delete;

  OperationEngine& engine() { return engine_; }
  StepRouter& media_and_settings() { return media_and_settings_; }
  RingToneFamily& ring_tone() { return ring_tone_; }
  // The caller groups, operator logo and startup graphic as last read, and
  // the listeners of the graphics operations.
  GraphicsRecords& graphics_records() { return graphics_records_; }
  CallerGroupTable& caller_groups() { return graphics_records_.groups; }
  GraphicsFamily& graphics() { return graphics_; }
  StartupGraphicFamily& startup_graphic() { return startup_graphic_; }
  GroupWriteFamily& group_write() { return group_write_; }

 private:
  OperationEngine& engine_;
  StepRouter& media_and_settings_;
  RingToneFamily ring_tone_;
  FamilyRegistration ring_tone_in_{media_and_settings_, RingToneFamily::kFirstStep, RingToneFamily::kLastStep,
                                   ring_tone_};
  GraphicsRecords graphics_records_;
  GraphicsFamily graphics_{graphics_records_};
  StartupGraphicFamily startup_graphic_{graphics_records_};
  FamilyRegistration graphics_in_{media_and_settings_, GraphicsFamily::kFirstStep, GraphicsFamily::kLastStep,
                                  graphics_};
  FamilyRegistration group_read_in_{media_and_settings_, GraphicsFamily::kFirstGroupStep,
                                    GraphicsFamily::kLastGroupStep, graphics_};
  FamilyRegistration system_logo_in_{media_and_settings_, GraphicsFamily::kFirstLogoStep,
                                     GraphicsFamily::kLastLogoStep, graphics_};
  FamilyRegistration startup_graphic_in_{media_and_settings_, StartupGraphicFamily::kFirstStep,
                                         StartupGraphicFamily::kLastStep, startup_graphic_};
  GroupWriteFamily group_write_{graphics_records_};
  FamilyRegistration group_write_in_{media_and_settings_, GroupWriteFamily::kFirstStep, GroupWriteFamily::kLastStep,
                                     group_write_};
};

}  // namespace phondeck
