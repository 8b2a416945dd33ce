#pragma once
// Fills the class registry with the twelve classes, in their fixed order,
// followed by the task types added since.
namespace pm {
void RegisterStandardClasses();
}
