#pragma once
// The homepage's picture at a return home. Between the tick and the moment
// the new homepage is drawn the browser control shows nothing worth seeing
// (the old browser ending, the new one starting, its empty page): a still
// picture of the homepage covers the control meanwhile.
//
// The picture is taken when the homepage is first drawn in the run, and only
// if no person touched the kiosk since the homepage was asked for, so that
// it is never of a visitor's page; otherwise at a later return home. It
// covers the control only: the left strip, and with it the hot corner, stays
// free. A press or a touch on the picture goes nowhere: the page behind it
// is not the visitor's any more, and the next one is not drawn yet.

#include <QObject>
#include <QPointer>

#include <cstdint>

namespace quillory {

class FrmBrowser;
class StillPicture;

class HomepagePicture final : public QObject {
    Q_OBJECT
public:
    explicit HomepagePicture(FrmBrowser& form);

    // The homepage was just asked for: covers the control with its picture,
    // when there is one, until the homepage completes and is drawn.
    void HomepageAsked();
    // Whether the picture covers the control now.
    bool Covering() const;

private:
    void Cover();
    void Uncover();
    // Once the homepage asked for has completed and has been drawn.
    void HomepageDrawn();
    // Takes the picture of the homepage now shown, unless a person may have
    // changed it or another window lies over it.
    void TakeIfUntouched();

    FrmBrowser& form_;
    StillPicture* picture_ = nullptr;
    // Lives from one ask of the homepage to its drawing: a new ask drops it.
    QPointer<QObject> waiting_;
    // When the homepage was asked for, on the input clock.
    std::uint32_t askedAtMs_ = 0;
};

}  // namespace quillory
