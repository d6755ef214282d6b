def test_snippet_sees_module_and_window(run_qel):
    r = run_qel("""
        import qel, qel_testing
        qel.init([], 320, 240)
        qel_testing.pump(qel)
        img = qel_testing.grab()
        print(img.shape)
    """)
    assert r.returncode == 0, r.output
    assert "(240, 320, 3)" in r.stdout
