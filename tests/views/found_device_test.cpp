#include <QTreeWidget>
#include <functional>

#include "link/LinkFixture.h"
#include "ui_RdmPage.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"

namespace {

// The tree as captions, a node's children in brackets.
QString Shape(QTreeWidgetItem* item) {
    QString s = item->text(0);
    if (item->childCount() == 0) return s;
    QStringList children;
    for (int i = 0; i < item->childCount(); ++i)
        children << Shape(item->child(i));
    return s + "[" + children.join(' ') + "]";
}

QString Shape(QTreeWidget* tree) {
    QStringList top;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        top << Shape(tree->topLevelItem(i));
    return top.join(' ');
}

} // namespace

// A found device goes under the first node captioned with its manufacturer,
// in tree order, whether the tree holds only what discovery put there or
// its captions changed meanwhile.
TEST_F(LinkFixture, FoundDevicesGoUnderTheFirstNodeWithTheirManufacturersCaption) {
    struct Case {
        const char* name;
        std::function<void(QTreeWidget*)> between; // after the first three devices
        const char* shape;
    };
    const Case cases[] = {
        {"emptied tree", [](QTreeWidget*) {},
         "7FF3[7FF3:00000001 7FF3:00000002 7FF3:00000003] 0808[0808:00000001]"},
        {"group renamed by its manufacturer label",
         [](QTreeWidget* t) { t->topLevelItem(0)->setText(0, "Pellmor GmbH"); },
         "Pellmor GmbH[7FF3:00000001 7FF3:00000002] 0808[0808:00000001] 7FF3[7FF3:00000003]"},
        {"a device captioned like the group",
         [](QTreeWidget* t) { t->topLevelItem(1)->child(0)->setText(0, "7FF3"); },
         "7FF3[7FF3:00000001 7FF3:00000002 7FF3:00000003] 0808[7FF3]"},
    };
    RdmPageView* view = w->rdmView;
    QTreeWidget* tree = view->tree();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view->FreeDeviceRecords();
        for (uint64_t uid : {Uid(0x7FF3, 1), Uid(0x0808, 1), Uid(0x7FF3, 2)})
            view->AddFoundDevice(uid);
        c.between(tree);
        view->AddFoundDevice(Uid(0x7FF3, 3));
        EXPECT_EQ(Shape(tree), c.shape);
    }
}
