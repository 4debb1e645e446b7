#include "compiler/line/km_posts.h"

#include "model/entry_views.h"

namespace sb::compiler {

namespace {

struct KmPostSet {
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t c = 0;
};

KmPostSet load(const ScenarioEntry& e) {
    const ConstKmPostEntry posts(e);
    return {posts.position, posts.value, posts.flag};
}

void store(ScenarioEntry& e, const KmPostSet& s) {
    const KmPostEntry posts(e);
    posts.position = s.a;
    posts.value = s.b;
    posts.flag = s.c;
}

}  // namespace

void orderKilometrePosts(RouteModel& model) {
    const KmPostSet t = load(model.scenario[kmPostEntryThree]);
    const KmPostSet d = load(model.scenario[kmPostEntryTwo]);
    const KmPostSet u = load(model.scenario[kmPostEntryOne]);
    KmPostSet first = t;
    KmPostSet second = d;
    KmPostSet third = u;
    const KmPostSet zero{};

    const std::int64_t positionSum = static_cast<std::int64_t>(t.a) + d.a + u.a;
    if (positionSum != 0) {
        // The set with the strictly largest position leads; of the other two
        // the larger position comes next, and on a tie set one goes before
        // set two before set three.
        if (t.a > d.a && t.a > u.a) {
            first = t;
            second = d.a > u.a ? d : u;
            third = d.a > u.a ? u : d;
        } else if (d.a > t.a && d.a > u.a) {
            first = d;
            second = t.a > u.a ? t : u;
            third = t.a > u.a ? u : t;
        } else if (u.a > t.a && u.a > d.a) {
            first = u;
            second = t.a > d.a ? t : d;
            third = t.a > d.a ? d : t;
        } else {
            first = second = third = zero;
        }
    } else if (u.b > 0) {
        first = u;
        third = t;
    } else if (d.b > 0) {
        first = d;
        second = t;
    } else if (t.b > 0) {
        // already in place
    } else {
        first = second = third = zero;
    }

    store(model.scenario[kmPostEntryThree], first);
    store(model.scenario[kmPostEntryTwo], second);
    store(model.scenario[kmPostEntryOne], third);
    for (int entry = kmPostEntryThree; entry <= kmPostEntryOne; ++entry) {
        const KmPostEntry posts(model.scenario[entry]);
        if (posts.flag == 1) posts.value = addInt32(posts.value, 100);
    }
}

}  // namespace sb::compiler
