// The factories of the component's classes.
#include "knx/bus_classes.h"

#include <memory>
#include <utility>

#include "knx/driver_bus_device.h"
#include "knx/driver_device_check_service.h"
#include "knx/driver_group_value_service.h"

void RegisterBusClasses(BusComponent& component, MainThread& mainThread, SettingsStore& settings,
                        InterfaceChoiceDialog dialog) {
  BusClassFactories factories;
  factories.chooser = [&component, &settings, dialog] {
    return std::make_shared<DriverInterfaceChooser>(component, settings, dialog);
  };
  factories.device = [&component] { return std::make_shared<DriverBusDevice>(component); };
  factories.groupValueService = [&mainThread] {
    return std::make_shared<DriverGroupValueService>(mainThread);
  };
  factories.deviceCheckService = [] { return std::make_shared<DriverDeviceCheckService>(); };
  component.SetClassFactories(std::move(factories));
}
