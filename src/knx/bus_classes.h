// The component's four classes as the system creates them through BusComponent.
#pragma once

#include "knx/bus_component.h"
#include "knx/driver_interface_chooser.h"
#include "platform/main_thread.h"
#include "platform/settings_store.h"

// Installs the factories of DriverInterfaceChooser (over `settings`, with `dialog` as its choice
// dialog), DriverBusDevice and the two services over `component`'s drivers; the group value
// service raises its events on `mainThread`. `component`, `settings` and `mainThread` must
// outlive every object made. Installing again replaces the factories (e.g. to add the GUI's
// dialog).
void RegisterBusClasses(BusComponent& component, MainThread& mainThread, SettingsStore& settings,
                        InterfaceChoiceDialog dialog = {});
