#pragma once
// Delivery of serial line events on the GUI thread for SyncMethod
// smSynchronize and smWindow: the event thread posts each call to a
// receiver on the GUI thread and waits until it has run; a GUI thread that
// closes the port serves those calls (and only those) while it waits.
//
// Linking zolvek_serial_qt registers it (every consumer's link pulls its
// object, see serial/CMakeLists.txt): every port with events that opens while a
// QCoreApplication exists gets its own delivery to the application's
// thread, whichever thread opens it, so that handlers never run on the
// event thread by accident. Without a QCoreApplication they run there.

namespace serial {

// True once the registration has run (it runs before main).
bool QtEventDeliveryRegistered();

}  // namespace serial
