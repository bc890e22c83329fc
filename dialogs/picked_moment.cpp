#include "dialogs/picked_moment.h"

namespace hostkit::dialogs {
namespace {

PickedMoment g_picked{};

}  // namespace

PickedMoment& Picked() { return g_picked; }

int ReadField(const PickedMoment& picked, Field field) {
  switch (field) {
    case Field::Year:
      return picked.date.year;
    case Field::Month:
      return picked.date.month;
    case Field::Day:
      return picked.date.day;
    case Field::DayOfWeek:
      return picked.date.day_of_week;
    case Field::Hour:
      return picked.time.hour;
    case Field::Minute:
      return picked.time.minute;
    case Field::Second:
      return picked.time.second;
  }
  return 0;
}

}  // namespace hostkit::dialogs
