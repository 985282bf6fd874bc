// The bar's constructor that asks the phase monitor lives apart, so that a program
// that gives the phases per sensor itself does not bind the ACPI library.
#include "app/control/PellonBar.h"

#include "src/Oc/PtmLib.h"

PellonBar::PellonBar(TForm* owner, int phase) : PellonBar(owner, phase, PtmLib::Instance().PhasesPerSensor())
{
}
