// A bridge (micro-joint, lead-in or crossing) between a figure and a figure or
// the sheet, kept in a library macro (command 103).
#pragma once

#include "model/NestingObject.h"

#include <memory>

class Jumper;
class JumperDrawer;
using JumperPtr = std::shared_ptr<Jumper>;
using JumperDrawerPtr = std::shared_ptr<JumperDrawer>;

class Jumper : public NObject, public JumperParams {
public:
    explicit Jumper(INestingMacroObjectPtr macro);
    static JumperPtr Create(INestingMacroObjectPtr macro);

    void Init() override;
    void SaveParams() override;
    void LoadParams() override;

    void CreateMacro(int layer);
    void UpdateName();

    double GetWidth() const { return m_width; }
    int GetType() const { return m_type; }
    const NPoint& GetPoint1() const { return m_point1; }
    const NPoint& GetPoint2() const { return m_point2; }

    JumperDrawerPtr m_drawer;
    NPoint m_point1;
    NPoint m_point2;
    NObjectPtr m_owner1;  // the figure or sheet at each end
    NObjectPtr m_owner2;
    bool m_bynormal = false;
};
