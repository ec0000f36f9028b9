#include "app/presenters/ExploreColumns.h"

namespace korvane {

ExploreColumns exploreColumns(double windowWidth, bool showsInspector, Mode mode, GeneralSection section) {
    ExploreColumns columns;
    columns.inspectorFits = windowWidth >= ExploreColumns::inspectorMinimumWindowWidth;
    columns.inspectorWanted =
        showsInspector && (mode == Mode::developer || section == GeneralSection::explore);
    columns.showsInspectorColumn = columns.inspectorWanted && columns.inspectorFits;
    return columns;
}

}  // namespace korvane
