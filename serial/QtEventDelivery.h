#pragma once
// Delivery of serial line events on the GUI thread for SyncMethod
// smSynchronize and smWindow: the event thread posts each call to a
// receiver on the GUI thread and waits until it has run; a GUI thread that
// closes the port serves those calls (and only those) while it waits.
//
// Call InstallQtEventDelivery once on the GUI thread after the
// QApplication exists and before a port with events opens.

namespace serial {

void InstallQtEventDelivery();

}  // namespace serial
