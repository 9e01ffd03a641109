// The factor that fits the design to a work area, the legibility floor, and the captions' steps
// down, without a window: lengths in the desktop's scaled pixels.
#include <QTest>

#include "design_scale.h"

using namespace tervalink;

class DesignScaleTest : public QObject {
    Q_OBJECT

private slots:
    void factor_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<double>("factor");
        // A 1288 x 515 design in a frame of 8, 31, 8, 8.
        QTest::newRow("larger than the design: its own size") << 1920.0 << 1040.0 << 1.0 << 1.0;
        QTest::newRow("exactly the design and frame") << 1304.0 << 554.0 << 1.0 << 1.0;
        QTest::newRow("one pixel narrower") << 1303.0 << 554.0 << 1.0 << 0.99922;
        QTest::newRow("1920 x 1080 at 150 %, taskbar 48") << 1280.0 << 688.0 << 1.5 << 0.98137;
        QTest::newRow("wide and low: the height decides") << 3000.0 << 400.0 << 1.0 << 0.70097;
        QTest::newRow("800 x 600 at 100 %: held at the floor") << 800.0 << 560.0 << 1.0 << 0.63636;
        QTest::newRow("800 x 600 at 200 %: the floor in screen pixels")
            << 400.0 << 280.0 << 2.0 << 0.31818;
        QTest::newRow("800 x 600 at 125 %: at the floor") << 640.0 << 450.0 << 1.25 << 0.50909;
        QTest::newRow("1024 x 768 at 125 %: above it") << 819.0 << 574.0 << 1.25 << 0.62345;
    }
    void factor()
    {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(double, ratio);
        QFETCH(double, factor);
        const double chosen = design_factor({width, height}, {8, 31, 8, 8}, {1288, 515},
                                            legibility_floor(ratio));
        QVERIFY2(std::abs(chosen - factor) < 1e-5, qPrintable(QString::number(chosen)));
    }

    // From any size one screen pixel down to the next whole one; 1 pixel is the last.
    void captions_step_down_by_screen_pixels()
    {
        const QList<std::array<double, 3>> steps{// scale, device pixel ratio, the next scale
                                                 {1, 1, 10.0 / 11},        {0.95, 1, 10.0 / 11},
                                                 {10.0 / 11, 1, 9.0 / 11}, {0.75, 1.5, 12 / 16.5},
                                                 {1.0 / 11, 1, 1.0 / 11}};
        for (const auto& [scale, ratio, next] : steps)
            QVERIFY2(std::abs(next_smaller_text_scale(scale, ratio) - next) < 1e-9,
                     qPrintable(QString::number(scale)));
    }
};

QTEST_APPLESS_MAIN(DesignScaleTest)
#include "design_scale_test.moc"
