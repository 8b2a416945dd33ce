#pragma once
// Fills the class registry with the twelve classes, in their fixed order.
namespace pm {
void RegisterStandardClasses();
}
