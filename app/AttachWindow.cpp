#include "app/AttachWindow.h"

#include "app/EventWait.h"
#include "app/GeneratorRun.h"
#include "window/ZOLMain.h"

namespace app {

void AttachWindow(TGeneratorRun& run, control::TMainForm& window) {
  window.StopTicks = [&run] { run.StopTicks(); };
  window.WaitWithEvents = WaitProcessingEvents;
  run.Start({[&window] { window.TickRedraw(); }, [&window] { window.TickPortLost(); }});
}

}  // namespace app
