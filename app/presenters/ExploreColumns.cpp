#include "app/presenters/ExploreColumns.h"

namespace korvane {

ExploreColumns exploreColumns(double windowWidth, bool showsInspector, AppState::Mode mode,
                              AppState::GeneralSection section) {
    ExploreColumns columns;
    columns.inspectorFits = windowWidth >= ExploreColumns::inspectorMinimumWindowWidth;
    columns.inspectorWanted =
        showsInspector && (mode == AppState::Mode::developer || section == AppState::GeneralSection::explore);
    columns.showsInspectorColumn = columns.inspectorWanted && columns.inspectorFits;
    return columns;
}

}  // namespace korvane
